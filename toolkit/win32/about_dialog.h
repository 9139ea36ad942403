#pragma once
// The about box: the application's name with the program file's version, and the copyright
// line. Run modally with RunModal(IDD_ABOUT, owner); its end code means nothing.
#include "toolkit/win32/dialog.h"

class AboutDialog : public DialogEntity {
public:
    INT_PTR OnInitDialog() override;
    // Destroys the small icon that OnInitDialog gave the window: the window never owns it.
    void OnDestroy() override;
};
