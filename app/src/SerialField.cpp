#include "SerialField.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

namespace miran::app {

SerialField::SerialField(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(static_cast<int>(window::SerialMask::kPlaces));
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    Show(0);
}

void SerialField::SetMaskedText(const std::string& text) {
    mask_.SetText(text);
    Show(0);
}

void SerialField::Show(std::size_t caret) {
    setText(QString::fromStdString(mask_.Shown()));
    setCursorPosition(static_cast<int>(caret));
}

void SerialField::keyPressEvent(QKeyEvent* event) {
    const auto start = static_cast<std::size_t>(hasSelectedText() ? selectionStart() : cursorPosition());
    const auto end = static_cast<std::size_t>(hasSelectedText() ? selectionEnd() : cursorPosition());
    if (event->matches(QKeySequence::Paste)) {
        Show(mask_.Replace(start, end, QGuiApplication::clipboard()->text().toStdString()));
    } else if (event->matches(QKeySequence::Cut)) {
        copy();
        Show(mask_.Replace(start, end, ""));
    } else if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        return;
    } else if (event->key() == Qt::Key_Backspace) {
        Show(mask_.EraseBack(start, end));
    } else if (event->key() == Qt::Key_Delete) {
        Show(mask_.EraseForward(start, end));
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        Show(mask_.Replace(start, end, event->text().toStdString()));
    } else {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace miran::app
