#include "web/front_texts.h"

#include "layout/window_texts.h"

#include <string>

namespace web {

namespace {

std::string text(std::string_view words) { return std::string(words); }

const char* emptyOutputName(layout::EmptyOutputName rule)
{
    switch (rule) {
    case layout::EmptyOutputName::KeepsLastName:
        return "keep";
    case layout::EmptyOutputName::BecomesDefault:
        return "default";
    case layout::EmptyOutputName::Refused:
        return "refuse";
    }
    return "keep";
}

} // namespace

nlohmann::json FileTextsOf(const layout::Model& model)
{
    const layout::FileTexts& files = model.files ? *model.files : layout::kOneWindowFileTexts;
    // The buttons of a sheet's "File Info" box, in the row its description gives.
    nlohmann::json buttons = {"create", "load"};
    if (files.hasExit)
        buttons = files.exitBeforeLoad ? nlohmann::json{"create", "exit", "load"}
                                       : nlohmann::json{"create", "load", "exit"};
    return {{"outputLabel", text(files.outputLabel)},
            {"inputLabel", text(files.inputLabel)},
            {"loadCaption", text(files.loadCaption)},
            {"hasExit", files.hasExit},
            {"emptyOutput", emptyOutputName(files.emptyOutput)},
            {"noOutputName", text(files.noOutputName)},
            {"writeFailed", text(files.writeFailed)},
            {"noInputName", text(files.noInputName)},
            {"unreadable", text(files.unreadable)},
            {"badFileResetsNames", files.badFileResetsNames},
            {"createIsDefault", files.createIsDefault},
            {"buttons", buttons}};
}

nlohmann::json FrontTexts()
{
    namespace words = layout::words;
    return {
        {"title", text(words::kAppName)},
        {"buttons", {{"ok", "OK"}, {"cancel", "Cancel"}, {"yes", "Yes"}, {"no", "No"}}},
        {"deviceId", text(words::kDeviceId)},
        {"back", text(words::kBack)},
        {"about", text(words::kAbout)},
        {"aboutTitle", text(words::kAboutTitle)},
        {"aboutLines", {text(words::kAboutLine), text(words::kVersion)}},
        {"browse", text(words::kBrowse)},
        {"create", text(words::kCreate)},
        {"exit", text(words::kExit)},
        {"fileInfo", text(words::kFileInfo)},
        {"display", text(words::kDisplay)},
        {"legend", text(words::kLegend)},
        {"defaultOutput", text(words::kDefaultOutputName)},
        {"droppedMany", text(words::kDroppedMany)},
        // What the browser offers beyond the desktop: the form as a profile of the
        // command-line tool, and the image in the text formats of programmers.
        {"more", "Profiles and other formats"},
        {"saveProfile", "Save Profile"},
        {"openProfile", "Open Profile"},
        {"saveIntelHex", "Save as Intel HEX"},
        {"saveSRecord", "Save as S-record"},
        {"profileRefused", "This profile cannot be opened:\n%1"},
        {"profileWarnings", "The profile was opened with these warnings:\n%1"},
    };
}

} // namespace web
