#pragma once

#include <array>
#include <string_view>

// The main window's model list and the editor each entry starts, in list order.
enum class EditorKind {
    MainForm, // the main window's own QH404 form
    Modeless, // the QH1xx family editor beside the main window
    Sheet,    // a modal two-page editor
};

struct ModelEntry {
    std::string_view text;      // the list entry
    EditorKind editor;
    int index;                  // model index (modeless) or variant number (sheets); 0: none
    std::string_view modelText; // the model text handed to a sheet's first page
    std::string_view tab1;      // sheet tab labels
    std::string_view tab2;
};

inline constexpr std::array<ModelEntry, 12> kModelEntries{{
    {"QH404", EditorKind::MainForm, 0, "QH404", "", ""},
    {"QH102", EditorKind::Modeless, 1, "QH102", "", ""},
    {"QH103", EditorKind::Modeless, 2, "QH103", "", ""},
    {"QH104", EditorKind::Modeless, 3, "QH104", "", ""},
    {"QH107", EditorKind::Modeless, 4, "QH107", "", ""},
    {"QH304", EditorKind::Sheet, 1, "QH304", "Tab1", "Tab2"},
    {"QH203 - 36 pin", EditorKind::Sheet, 1, "QH203", "Tab1", "Tab2"},
    {"QH203 - 48 pin", EditorKind::Sheet, 2, "QH203", "Tab1", "Tab2"},
    {"QH204 - 36 pin", EditorKind::Sheet, 3, "QH204", "Tab1", "Tab2"},
    {"QH204 - 48 pin", EditorKind::Sheet, 4, "QH204", "Tab1", "Tab2"},
    {"QH202", EditorKind::Sheet, 0, "QH202", "Main - Configuration", "Additional - Configuration"},
    {"QH207 - 64 pin", EditorKind::Sheet, 1, "QH207", "Tab1", "Tab2"},
}};
