// mapedit_helper WORKPATH PROJECT
//
// What a user does in the map editor after a capture, without a display:
// opens the Web's first image map, draws a rectangle over the left half of
// its picture and a circle in the right half, saves the map, then saves the
// Web with the links the editor entered. Prints the map file.
#include "capture/Web.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "maps/Zone.h"
#include "ui/MapEditDlg.h"

#include <QApplication>

#include <iostream>
#include <memory>
#include <string>

using namespace velbrin;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mapedit_helper WORKPATH PROJECT\n";
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string workPath = argv[1];
    const std::string project = argv[2];
    try {
        AdoptWorkPath(workPath);
        TParam settings([&](const std::string&) { return std::optional<std::string>(workPath); });
        TWEB web(settings, "");
        if (!web.LoadFromFile(project)) {
            std::cerr << project << ": not a Web\n";
            return 1;
        }
        TMapEditDlg editor(web);
        editor.Prompts().Error = [](const std::string& text) { std::cerr << text << "\n"; };
        editor.Prompts().ChooseMap = [](const TMAPLIST&) { return std::optional<std::size_t>(0); };
        if (!editor.OpenFirst())
            return 1;
        const TPixelRect bounds = editor.PictureRect();
        const int w = bounds.Width();
        const int h = bounds.Height();
        auto rect = std::make_unique<TZoneRect>(TPixelPoint{}, bounds);
        rect->SetCoords("0,0," + std::to_string(w / 2) + "," + std::to_string(h));
        auto circle = std::make_unique<TZoneCircle>(TPixelPoint{}, bounds);
        circle->SetCoords(std::to_string(w * 3 / 4) + "," + std::to_string(h / 2) + "," + std::to_string(h / 2 - 1));
        if (!editor.AddZone(std::move(rect)) || !editor.AddZone(std::move(circle)) || !editor.Save())
            return 1;
        web.SaveToFile(project);
        std::cout << ReadWholeFile(web.Path + editor.Entry()->MapFile);
    } catch (const EVelbrinError& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
