#pragma once
// The table that turns a skin element name into a new control. Adding a control class to the
// skin vocabulary is one row in control_factory.cpp.

class CControlUI;

// A new control (created with new) for the exact, case-sensitive element name; null when the
// name is not in the table or memory runs out.
CControlUI* CreateControlForElement(const wchar_t* elementName);

// The element names of the table, in its order: null past the end.
const wchar_t* FactoryElementName(int index);
