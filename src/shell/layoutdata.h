#pragma once

#include "widgets/propertybag.h"

class XPButton;

// The stored properties of one control of the main window, from the layout data compiled into
// the program; an empty bag for a control it does not name.
PropertyBag FormLayout(const char* control);
// Places a push button where the layout data puts it and loads its stored properties.
void LoadButton(XPButton& button, const char* name);
