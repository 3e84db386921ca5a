// The option and check box controls: checked state, radio groups within one host, the checked
// images and colours.

#include "ui/controls/option.h"

#include <cwchar>
#include <new>

#include "ui/util/attribute_parse.h"
#include "ui/util/deletion_watch.h"
#include "ui/core/window_host.h"
#include "ui/draw/gdi_painter.h"
#include "ui/util/pointer_array.h"

namespace {

using OptionHandler = void (*)(COptionUI& option, const wchar_t* value);

struct OptionAttribute {
    const wchar_t* name;
    OptionHandler apply;
};

const OptionAttribute kOptionAttributes[] = {
    {L"group", [](COptionUI& o, const wchar_t* v) { o.SetGroupName(v); }},
    {L"selected", [](COptionUI& o, const wchar_t* v) { o.SetChecked(attr::ParseBool(v)); }},
    {L"selectedimage", [](COptionUI& o, const wchar_t* v) { o.SetCheckedImage(v); }},
    {L"selectedhotimage", [](COptionUI& o, const wchar_t* v) { o.SetCheckedHotImage(v); }},
    {L"selectedpushedimage", [](COptionUI& o, const wchar_t* v) { o.SetCheckedPushedImage(v); }},
    {L"foreimage", [](COptionUI& o, const wchar_t* v) { o.SetForeImage(v); }},
    {L"selectedforeimage", [](COptionUI& o, const wchar_t* v) { o.SetCheckedForeImage(v); }},
    {L"selectedbkcolor", [](COptionUI& o, const wchar_t* v) { o.SetCheckedBackColor(attr::ParseColor(v)); }},
    {L"selectedtextcolor",
     [](COptionUI& o, const wchar_t* v) { o.SetCheckedTextColor(attr::ParseColor(v)); }},
};


}  // namespace

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() {
    LeaveGroup();
}

const wchar_t* COptionUI::ClassName() const {
    return L"OptionUI";
}

void* COptionUI::CastTo(const wchar_t* name) {
    if (name && wcscmp(name, L"Option") == 0) {
        return this;
    }
    return CButtonUI::CastTo(name);
}

bool COptionUI::Activate() {
    CDeletionWatch flag(m_deletionSlot);
    if (!CButtonUI::Activate()) {
        return false;
    }
    if (!flag.Deleted()) {
        SetChecked(m_group.IsEmpty() ? !m_checked : true);
    }
    return true;
}

void COptionUI::AttachHost(CWindowHostUI* host, CControlUI* parent, bool initialize) {
    CButtonUI::AttachHost(host, parent, initialize);
    if (initialize && host && !m_group.IsEmpty()) {
        JoinGroup(host);
    }
}

void COptionUI::SetEnabled(bool on) {
    CButtonUI::SetEnabled(on);
    if (!IsEnabled()) {
        SetButtonState(m_checked ? ButtonChecked : 0);
    }
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) {
        return;
    }
    for (const OptionAttribute& attribute : kOptionAttributes) {
        if (wcscmp(attribute.name, name) == 0) {
            attribute.apply(*this, value);
            return;
        }
    }
    CButtonUI::SetAttribute(name, value);
}

// ---- Checked state and groups ----

void COptionUI::SetChecked(bool on) {
    m_checked = on;
    SetButtonState(on ? ButtonState() | ButtonChecked : ButtonState() & ~ButtonChecked);
    NotifyAccessible(EVENT_OBJECT_STATECHANGE);
    CWindowHostUI* host = m_host;
    if (host && !m_group.IsEmpty()) {
        if (!on) {
            Invalidate();
            return;
        }
        UncheckOtherMembers();
    }
    if (host) {
        CDeletionWatch flag(m_deletionSlot);
        host->SendNotification(this, L"selectchanged", 0, 0);
        if (flag.Deleted()) {
            return;
        }
    }
    Invalidate();
}

void COptionUI::UncheckOtherMembers() {
    // A group the host does not know yet (the tree is not initialised) has no other members.
    PointerArray* members = m_host ? m_host->GroupMembers(m_group) : nullptr;
    for (int i = 0; members && i < members->GetSize(); ++i) {
        auto* member = static_cast<COptionUI*>(members->GetAt(i));
        if (member != this) {
            member->SetChecked(false);
        }
    }
}

void COptionUI::SetGroupName(const wchar_t* name) {
    if (!name) {
        name = L"";
    }
    if (wcscmp(m_group, name) == 0) {
        return;
    }
    LeaveGroup();
    m_group = name;
    if (m_host && !m_group.IsEmpty()) {
        JoinGroup(m_host);
    }
    SetChecked(m_checked);
}

void COptionUI::JoinGroup(CWindowHostUI* host) {
    if (m_groupHost && m_groupHost != host) {
        LeaveGroup();
    }
    if (host->AddToGroup(m_group, this) || m_groupHost == host) {
        m_groupHost = host;
    }
}

void COptionUI::LeaveGroup() {
    if (m_groupHost) {
        m_groupHost->RemoveFromGroup(m_group, this);
        m_groupHost = nullptr;
    }
}

// ---- Images and colours ----

const wchar_t* COptionUI::OptionImageText(OptionImage slot) const {
    return m_images ? static_cast<const wchar_t*>(m_images[slot]) : L"";
}

bool COptionUI::HasOptionImage(OptionImage slot) const {
    return m_images && !m_images[slot].IsEmpty();
}

void COptionUI::SetOptionImage(OptionImage slot, const wchar_t* image) {
    if (!m_images) {
        if (!image || !*image) {
            Invalidate();
            return;
        }
        m_images.reset(new (std::nothrow) CWideString[kOptionImages]);
        if (!m_images) {
            return;
        }
    }
    m_images[slot] = image ? image : L"";
    Invalidate();
}

void COptionUI::SetCheckedBackColor(DWORD color) {
    m_checkedBackColor = color;
    Invalidate();
}

void COptionUI::SetCheckedTextColor(DWORD color) {
    m_checkedTextColor = color;
    Invalidate();
}

// ---- Painting ----

bool COptionUI::DrawOptionImage(HDC dc, OptionImage slot) {
    if (DrawImage(dc, m_images[slot])) {
        return true;
    }
    m_images[slot].Empty();
    return false;
}

void COptionUI::DrawOrButton(HDC dc, OptionImage slot) {
    if (!DrawOptionImage(dc, slot)) {
        CButtonUI::PaintStateImages(dc);
    }
}

bool COptionUI::PaintCheckedBackColor(HDC dc) {
    DWORD color = m_checkedBackColor;
    if (color == 0) {
        return false;
    }
    if (IsColorAdjusted()) {
        // The host's shift is the neutral 180/100/100, as for the background colour.
        color = CGdiPainter::AdjustColorHsl(color, 180, 100, 100);
    }
    if (color > 0x00FFFFFF) {
        CGdiPainter::FillColor(dc, m_rcItem, color);
    }
    return true;
}

void COptionUI::PaintStateImages(HDC dc) {
    const UINT state = ButtonState();
    if ((state & ButtonPushed) && m_checked && HasOptionImage(CheckedPushedImage)) {
        DrawOrButton(dc, CheckedPushedImage);
    } else if ((state & ButtonHot) && m_checked && HasOptionImage(CheckedHotImage)) {
        DrawOrButton(dc, CheckedHotImage);
    } else if (m_checked && !HasOptionImage(CheckedImage)) {
        if (PaintCheckedBackColor(dc)) {
            return;
        }
        CButtonUI::PaintStateImages(dc);
    } else if (m_checked) {
        DrawOrButton(dc, CheckedImage);
    } else {
        CButtonUI::PaintStateImages(dc);
    }
    PaintForeImage(dc);
}

void COptionUI::PaintForeImage(HDC dc) {
    if (m_checked && HasOptionImage(CheckedForeImage)) {
        DrawOptionImage(dc, CheckedForeImage);
    } else if (HasOptionImage(OwnForeImage)) {
        DrawOptionImage(dc, OwnForeImage);
    }
}

void COptionUI::PaintText(HDC dc) {
    if (!m_checked) {
        CButtonUI::PaintText(dc);
        return;
    }
    // The checked colour stands in for this paint only; the label's own colour is left as is.
    TakeDefaultColors();
    const DWORD color = m_checkedTextColor != 0 ? m_checkedTextColor : TextColor();
    if (Text().IsEmpty()) {
        return;
    }
    DrawCaption(dc, TextRect(), IsEnabled() ? color : DisabledTextColor(), m_textStyle);
}

const wchar_t* CCheckBoxUI::ClassName() const {
    return L"CheckBoxUI";
}
