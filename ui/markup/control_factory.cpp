#include "ui/markup/control_factory.h"

#include <cwchar>
#include <new>

#include "ui/controls/button.h"
#include "ui/controls/child_layout.h"
#include "ui/controls/container.h"
#include "ui/controls/control.h"
#include "ui/controls/edit.h"
#include "ui/controls/gif_anim.h"
#include "ui/controls/label.h"
#include "ui/controls/layouts.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"
#include "ui/controls/tab_layout.h"
#include "ui/controls/tile_layout.h"

namespace {

struct FactoryEntry {
    const wchar_t* element;
    CControlUI* (*create)();
};

template <typename Control>
CControlUI* Make() {
    return new (std::nothrow) Control;
}

// One row per element name. Names the skin vocabulary knows but this build has no class for
// yet (List, Combo, RichEdit, ...) are absent, so they reach the builder's callback.
const FactoryEntry kFactory[] = {
    {L"Control", &Make<CControlUI>},
    {L"Container", &Make<CContainerUI>},
    {L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {L"Label", &Make<CLabelUI>},
    {L"Text", &Make<CTextUI>},
    {L"Progress", &Make<CProgressUI>},
    {L"Button", &Make<CButtonUI>},
    {L"ScrollBar", &Make<CScrollBarUI>},
    {L"Option", &Make<COptionUI>},
    {L"CheckBox", &Make<CCheckBoxUI>},
    {L"Slider", &Make<CSliderUI>},
    {L"TabLayout", &Make<CTabLayoutUI>},
    {L"TileLayout", &Make<CTileLayoutUI>},
    {L"ChildLayout", &Make<CChildLayoutUI>},
    {L"GifAnim", &Make<CGifAnimUI>},
    {L"Edit", &Make<CEditUI>},
};

}  // namespace

CControlUI* CreateControlForElement(const wchar_t* elementName) {
    if (!elementName) {
        return nullptr;
    }
    for (const FactoryEntry& entry : kFactory) {
        if (wcscmp(entry.element, elementName) == 0) {
            return entry.create();
        }
    }
    return nullptr;
}

const wchar_t* FactoryElementName(int index) {
    const int count = static_cast<int>(sizeof kFactory / sizeof kFactory[0]);
    return index >= 0 && index < count ? kFactory[index].element : nullptr;
}
