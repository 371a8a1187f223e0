#include "options/dialog_template.h"

namespace {

constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK;

}  // namespace

std::vector<WORD> EmptyDialogTemplate(std::u16string_view title) {
    std::vector<WORD> words = {
        LOWORD(FormStyle), HIWORD(FormStyle),  // style
        0, 0,                                  // extended style
        0,                                     // no items
        0, 0, 0, 0,                            // position and size: set in pixels afterwards
        0,                                     // no menu
        0,                                     // the standard dialog class
    };
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    return words;
}
