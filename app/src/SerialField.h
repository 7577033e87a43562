#pragma once

#include "window/SerialMask.h"

#include <QLineEdit>
#include <string>

namespace miran::app {

// The serial field: a line edit that edits through the serial mask (typing overwrites digits, erasing leaves
// a blank). Undo, drops and the context menu, which would change the text around the mask, are off.
class SerialField : public QLineEdit {
public:
    explicit SerialField(QWidget* parent);

    // A text the program sets: digits and blanks (' ' or '_') from the first place.
    void SetMaskedText(const std::string& text);
    const std::string& Shown() const { return mask_.Shown(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the mask's text with the cursor at caret.
    void Show(std::size_t caret);

    window::SerialMask mask_;
};

} // namespace miran::app
