#include "Fonts.h"

#include <QFont>
#include <QFontDatabase>

namespace miran::app {

void InstallFonts() {
    // These files are outside fontconfig's search path.
    for (const char* file : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
        QFontDatabase::addApplicationFont(file);
    QFont::insertSubstitution("MS Sans Serif", "Tahoma");
}

} // namespace miran::app
