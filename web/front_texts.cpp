#include "web/front_texts.h"

namespace web {

namespace {

constexpr const char* kNoInputFileNamed =
    "Field 'Input File To Load' does not specify any file name.\nPlease specify a valid file "
    "to load\n";
constexpr const char* kNotAnImageFile =
    "Looks like the input file is not a valid E2prom binary file or it may have been "
    "corrupted\nAborting the load operation of this file\n";
constexpr const char* kNoOutputName = "No output file specified.\nPlease specify a valid file\n";

// The file controls and messages of an editor: the main window's form and the QH1xx
// window share theirs; the two sheets have their own.
//   emptyOutput: "keep" (the name set last, told when there is none), "default" ("nv.bin"
//   put back), "refuse" (told, nothing written); buttons: the row of a "File Info" box;
//   createIsDefault: Enter in a field presses "Create EEPROM File" (elsewhere it presses
//   nothing).
nlohmann::json oneWindowFiles()
{
    return {{"outputLabel", "Output File Name"},
            {"inputLabel", "Binary Input File to Load:"},
            {"loadCaption", "LOAD from FILE"},
            {"hasExit", false},
            {"emptyOutput", "keep"},
            {"noOutputName", kNoOutputName},
            {"writeFailed", "Error trying to create EEPROM file."},
            {"noInputName", "Please enter a file name at input file box first"},
            {"unreadable", "Failed to read input file"},
            {"badFileResetsNames", false},
            {"buttons", {"create", "load"}}};
}

nlohmann::json qh304Files()
{
    return {{"outputLabel", "Output File Name :"},
            {"inputLabel", "Input File to Load :"},
            {"loadCaption", "LOAD from FILE"},
            {"hasExit", true},
            {"emptyOutput", "default"},
            {"noOutputName", kNoOutputName},
            {"writeFailed", "Error trying to create EEPROM file."},
            {"noInputName", kNoInputFileNamed},
            {"unreadable", kNotAnImageFile},
            {"badFileResetsNames", true},
            {"buttons", {"create", "exit", "load"}},
            {"createIsDefault", true}};
}

nlohmann::json qh20xFiles()
{
    return {{"outputLabel", "Output File Name:"},
            {"inputLabel", "Input File to Load:"},
            {"loadCaption", "Load From File"},
            {"hasExit", true},
            {"emptyOutput", "refuse"},
            {"noOutputName", kNoOutputName},
            {"writeFailed", "Error creating EE file"},
            {"noInputName", kNoInputFileNamed},
            {"unreadable", kNotAnImageFile},
            {"badFileResetsNames", false},
            {"buttons", {"create", "load", "exit"}}};
}

} // namespace

nlohmann::json FrontTexts()
{
    return {
        {"title", "HUBQUILL"},
        {"buttons", {{"ok", "OK"}, {"cancel", "Cancel"}, {"yes", "Yes"}, {"no", "No"}}},
        {"deviceId", "Device ID"},
        {"back", "Back"},
        {"about", "About"},
        {"aboutTitle", "About HUBQUILL"},
        {"aboutLines", {"HUBQUILL prepares EEPROM images for USB 2.0 hubs.", "Version 1.0.2.0"}},
        {"browse", "Browse"},
        {"create", "Create EEPROM File"},
        {"exit", "Exit"},
        {"fileInfo", "File Info"},
        {"display", "Display EEPROM content"},
        {"legend", "Framed in orange: bytes the next Create writes differently (hover for why)"},
        {"defaultOutput", "nv.bin"},
        {"droppedMany", "%1 files were dropped. Drop one image file to load it."},
        {"files", {{"qh404", oneWindowFiles()}, {"qh1xx", oneWindowFiles()},
                   {"qh304", qh304Files()}, {"qh20x", qh20xFiles()}}},
        // What the browser offers beyond the desktop: the form as a profile of the
        // command-line tool, and the image in the text formats of programmers.
        {"more", "Profiles and other formats"},
        {"saveProfile", "Save Profile"},
        {"openProfile", "Open Profile"},
        {"saveIntelHex", "Save as Intel HEX"},
        {"saveSRecord", "Save as S-record"},
        {"profileRefused", "This profile cannot be opened:\n%1"},
        {"profileWarnings", "The profile was opened with these warnings:\n%1"},
        {"noImageYet", "There is no image yet: Create one first, or load one."},
    };
}

} // namespace web
