// What a layout window does with each kind of control, one row per kind:
// how it is created, placed again at a new DPI, told of a new text, drawn,
// and seen by the translation. A new kind is one row here and its own
// functions.
#include "options/layout_form.h"

#include <iterator>

const TLayoutForm::TKindRow& TLayoutForm::KindOf(TControlKind kind) noexcept {
    using K = TTranslatableForm::TKind;
    using F = TLayoutForm;
    static constexpr TKindRow Kinds[] = {
        // kind, create, place again, text changed, draw, translation, beneath
        {TControlKind::PushButton, &F::CreatePushButton, &F::PlaceFitted, &F::FitIfAutoSized, nullptr,
         K::PushButton, false},
        {TControlKind::PageControl, &F::CreatePageControl, &F::PlacePageControl, &F::FitIfAutoSized, nullptr,
         K::OtherControl, false},
        {TControlKind::TabSheet, &F::CreateTabSheet, &F::PlaceTabSheet, &F::RetitlePage, nullptr, K::OtherControl,
         false},
        {TControlKind::GroupBox, &F::CreateGroupBox, &F::PlaceFitted, &F::FitIfAutoSized, nullptr, K::GroupBox,
         false},
        // Sized by its picture, never by a text.
        {TControlKind::Image, &F::CreateImage, &F::PlaceControl, nullptr, nullptr, K::OtherControl, false},
        {TControlKind::Label, &F::CreateLabel, &F::PlaceFitted, &F::FitIfAutoSized, nullptr, K::Label, false},
        {TControlKind::RadioButton, &F::CreateRadioButton, &F::PlaceFitted, &F::FitIfAutoSized, nullptr,
         K::RadioButton, false},
        {TControlKind::RadioGroup, &F::CreateRadioGroup, &F::PlaceRadioGroup, &F::FitIfAutoSized, nullptr,
         K::RadioGroup, false},
        {TControlKind::CheckListBox, &F::CreateCheckListBox, &F::PlaceCheckListBox, &F::FitIfAutoSized,
         &F::DrawCheckListEntry, K::OtherControl, false},
        {TControlKind::TrackBar, &F::CreateTrackBar, &F::PlaceFitted, &F::FitIfAutoSized, nullptr, K::OtherControl,
         false},
        {TControlKind::Shape, &F::CreateShape, &F::PlaceFitted, &F::FitIfAutoSized, &F::DrawShape, K::OtherControl,
         true},
        {TControlKind::StaticText, &F::CreateStaticText, &F::PlaceFitted, &F::FitIfAutoSized, nullptr,
         K::OtherControl, false},
        // No window: loaded with the pictures, and left alone by the
        // translation.
        {TControlKind::ImageList, &F::CreateNothing, nullptr, nullptr, nullptr, K::NotControl, false},
        // No window either: a picture the code holds; the translation sees
        // a control, whose text is empty.
        {TControlKind::PictureHolder, &F::CreateNothing, nullptr, nullptr, nullptr, K::OtherControl, false},
    };
    // Indexed by kind: a kind added to the enumeration needs its row here.
    static_assert(std::size(Kinds) == ControlKindCount);
    static_assert([] {
        for (size_t i = 0; i < std::size(Kinds); ++i) {
            if (Kinds[i].Kind != static_cast<TControlKind>(i) || !Kinds[i].Create) {
                return false;
            }
        }
        return true;
    }());
    return Kinds[static_cast<size_t>(kind)];
}
