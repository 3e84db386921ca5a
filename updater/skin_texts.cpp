#include "updater/skin_texts.h"

#include "ui/controls/control.h"
#include "ui/core/window_host.h"

void ApplySkinTexts(CWindowHostUI& host, std::initializer_list<SkinText> texts) {
    for (const SkinText& entry : texts) {
        CControlUI* control = host.FindControlByName(entry.control);
        if (control == nullptr) continue;
        if (entry.tooltip) {
            control->SetToolTip(UiText(entry.text));
        } else {
            control->SetText(UiText(entry.text));
        }
    }
}
