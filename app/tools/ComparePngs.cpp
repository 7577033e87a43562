// Compares the PNG files of two folders pixel for pixel: every PNG of the first must exist in the second with
// the same size and the same colours. Exit code 0 when all match, 1 otherwise.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: miran-compare-pngs BEFORE_DIR AFTER_DIR\n";
        return 2;
    }
    const QDir before(argv[1]);
    const QDir after(argv[2]);
    const QStringList names = before.entryList({"*.png"}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::cerr << "no PNG files in " << argv[1] << '\n';
        return 1;
    }
    bool same = true;
    for (const QString& name : names) {
        const QImage a = QImage(before.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage b = QImage(after.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const bool match = !a.isNull() && a == b;
        std::cout << (match ? "identical " : "DIFFERENT ") << name.toStdString() << '\n';
        same &= match;
    }
    return same ? 0 : 1;
}
