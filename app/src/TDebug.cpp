#include "TDebug.h"

#include <QEvent>
#include <QVBoxLayout>

namespace miran::app {

TDebug::TDebug(QWidget* parent) : QWidget(parent, Qt::Window), memo_(new QPlainTextEdit(this)) {
    setObjectName("Debug");
    setWindowTitle("Debug");
    // The layout's place is the frame's: move() places the frame, resize() the client area inside it.
    resize(586, 527);
    move(1165, 59);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);

    memo_->setObjectName("Memo");
    memo_->setReadOnly(true);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont memoFont("Courier New");
    memoFont.setPixelSize(11);
    memo_->setFont(memoFont);
    memo_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(memo_);
}

bool TDebug::eventFilter(QObject* watched, QEvent* event) {
    if (watched == memo_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        behaviour_.MemoDblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TDebug::ClearLines() {
    memo_->clear();
}

} // namespace miran::app
