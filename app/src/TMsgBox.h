#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QWidget>

namespace miran::app {

// A small tool window with an icon area and a text label; nothing in the program shows it.
class TMsgBox : public QWidget {
    Q_OBJECT
public:
    explicit TMsgBox(QWidget* parent = nullptr);

    QLabel* Img() const { return img_; }
    QLabel* InfoLabel() const { return infoLabel_; }
    // Exclamation, stop, information, question.
    const QList<QPixmap>& IconImg() const { return iconImg_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    QLabel* img_;
    QLabel* infoLabel_;
    QList<QPixmap> iconImg_;
};

} // namespace miran::app
