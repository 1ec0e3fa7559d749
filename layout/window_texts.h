#pragma once

// The words of the windows around a model's form, the same in every front end: the file
// controls' captions and the messages of the file actions (a family's own set, named by
// its models), and the words every editor shares.

#include "layout/field.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace layout {

// What Create does with an empty output name.
enum class EmptyOutputName {
    KeepsLastName,  // the name set last stays in force; with none set, the user is told
    BecomesDefault, // "nv.bin", put back into the box
    Refused,        // the user is told; nothing is written
};

// A family's captions and messages for its file controls and actions.
struct FileTexts {
    std::string_view outputLabel;
    std::string_view inputLabel;
    std::string_view loadCaption;
    bool hasExit = false;
    // The output name starts as "nv.bin" in the current folder, rather than bare.
    bool outputInFolder = false;
    EmptyOutputName emptyOutput = EmptyOutputName::KeepsLastName;
    std::string_view noOutputName = "No output file specified.\nPlease specify a valid file\n";
    std::string_view writeFailed = "Error trying to create EEPROM file.";
    std::string_view noInputName;
    std::string_view nameRefused;
    std::string_view unreadable; // missing, unreadable, or of a size the load does not take
    // The listing shows the built image before it is written, or only once it is.
    bool listsBeforeWriting = true;
    // A file that cannot be loaded empties the input name and puts back "nv.bin".
    bool badFileResetsNames = false;
    // Enter in a field of the panel's page presses "Create EEPROM File".
    bool createIsDefault = false;
    // A "File Info" box's row of buttons: Create, Load, Exit; or Create, Exit, Load.
    bool exitBeforeLoad = false;
};

// The load messages every two-page editor shows.
inline constexpr std::string_view kNoInputFileNamed =
    "Field 'Input File To Load' does not specify any file name.\nPlease specify a valid file "
    "to load\n";
inline constexpr std::string_view kNotAnImageFile =
    "Looks like the input file is not a valid E2prom binary file or it may have been "
    "corrupted\nAborting the load operation of this file\n";

// The texts of the editors that are one window: the QH404 form and the QH1xx editor. A
// failed write is told, and so is a Create with no output name ever given: a file that
// silently was not written is a lost board.
inline constexpr FileTexts kOneWindowFileTexts{
    .outputLabel = "Output File Name",
    .inputLabel = "Binary Input File to Load:",
    .loadCaption = "LOAD from FILE",
    .emptyOutput = EmptyOutputName::KeepsLastName,
    .noInputName = "Please enter a file name at input file box first",
    .nameRefused = "Failed to set file name",
    .unreadable = "Failed to read input file",
};

// How a model's window is shown and what its own "Device ID" list holds.
enum class WindowKind : std::uint8_t {
    Main,   // the main window's own form
    Beside, // a window of its own beside the main window
    Sheet,  // pages over the main window, which wait for it
};

struct WindowList {
    WindowKind kind = WindowKind::Sheet;
    // The entry that goes back to the main window: "" names the main window's own model;
    // it stands first, or after the model's entries.
    std::string_view back = {};
    bool backFirst = true;
    // The list's entry for its model ("" its name); a window that serves the whole family
    // lists every model of it, and a load follows the image to the model it names.
    std::string_view entry = {};
    bool wholeFamily = false;
    // Such a window shows the fields of every model it serves, those its model lacks empty
    // and greyed: these (nullptr: the model's own).
    std::span<const Field> (*fields)() = nullptr;
};

// The words every editor's window shares.
namespace words {
inline constexpr std::string_view kDefaultOutputName = "nv.bin";
inline constexpr std::string_view kBrowse = "Browse";
inline constexpr std::string_view kCreate = "Create EEPROM File";
inline constexpr std::string_view kExit = "Exit";
inline constexpr std::string_view kFileInfo = "File Info";
inline constexpr std::string_view kDisplay = "Display EEPROM content";
inline constexpr std::string_view kLegend =
    "Framed in orange: bytes the next Create writes differently (hover for why)";
inline constexpr std::string_view kDeviceId = "Device ID";
inline constexpr std::string_view kBack = "Back";
inline constexpr std::string_view kDroppedMany =
    "%1 files were dropped. Drop one image file to load it.";
inline constexpr std::string_view kAppName = "HUBQUILL";
inline constexpr std::string_view kAbout = "About";
inline constexpr std::string_view kAboutTitle = "About HUBQUILL";
inline constexpr std::string_view kAboutLine = "HUBQUILL prepares EEPROM images for USB 2.0 hubs.";
inline constexpr std::string_view kVersion = "Version 1.0.2.0";
} // namespace words

} // namespace layout
