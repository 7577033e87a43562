#pragma once

#include "window/DebugWindow.h"

#include <QPlainTextEdit>
#include <QWidget>

namespace miran::app {

// The debug window: a read-only log the user can clear with a double click. Shown only by the release copy.
class TDebug : public QWidget, private window::DebugView {
    Q_OBJECT
public:
    explicit TDebug(QWidget* parent = nullptr);

    QPlainTextEdit* Memo() const { return memo_; }

private:
    void ClearLines() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QPlainTextEdit* memo_;
    window::DebugWindow behaviour_{*this};
};

} // namespace miran::app
