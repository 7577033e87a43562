// Writes a sample settings file for the interoperability check: settings_ini_writer <file>.
#include "settings/AppIniFileStorage.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace miran::settings;
    if (argc != 2) {
        std::cerr << "usage: settings_ini_writer <file>\n";
        return 2;
    }
    int failures = 0;
    {
        TAppIniFileStorage storage;
        storage.OnError = [&](const std::string& message) {
            std::cerr << message << '\n';
            ++failures;
        };
        storage.SetLocation(TFileLocation::flCustom);
        storage.SetFileName(argv[1]);
        storage.SetDefaultSection("CONFIG");
        storage.BeginBatch();
        storage.PutInteger("Main\\FormVersion", 0);
        storage.PutInteger("Main\\ShowCmd", 1);
        storage.PutString("Main\\MinMaxPos(1920x1080)", "-1,-1,-8,-8");
        storage.PutString("Main\\NormPos", "100,120,700,420");
        storage.PutString("DEVICE", "MIRAN 0042");
        storage.PutString("Empty", "");
        storage.PutString("Equation", "a=b");
        storage.PutBoolean("Enabled", true);
        storage.PutInteger("\\Other\\Sub\\Count", -3);
        storage.EndBatch();
    }
    return failures == 0 ? 0 : 1;
}
