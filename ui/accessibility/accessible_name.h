#pragma once
// The name a screen reader speaks for a control that does not choose its own.

#include "ui/util/wide_string.h"

class CControlUI;

// The control's text, else its tooltip, else, for a control that is not a container, the
// caption of the label placed just before it in the same container (see CaptionBefore). An
// editable text field is never named by its content: its caption, else its tooltip, else the
// control's name.
CWideString DefaultAccessibleName(CControlUI* control);
// The text of the nearest static text among the labels right before the control in its
// container, preferring one that ends with a colon, as a caption does ("当前文件：", "Name:"):
// a value shown between a caption and its control ("42%") does not name it. Empty when the
// control's previous sibling is no label.
CWideString CaptionBefore(CControlUI* control);
