#include "StandardTags.h"

#include "CTEVButton.h"
#include "CTEVCheckbox.h"
#include "CTEVChecksList.h"
#include "CTEVColor.h"
#include "CTEVComboBox.h"
#include "CTEVDisabler.h"
#include "CTEVFreeDraw.h"
#include "CTEVGroupbox.h"
#include "CTEVHotkey.h"
#include "CTEVLabel.h"
#include "CTEVLine.h"
#include "CTEVList.h"
#include "CTEVListBox.h"
#include "CTEVListItem.h"
#include "CTEVMenu.h"
#include "CTEVOpenHelp.h"
#include "CTEVPicture.h"
#include "CTEVProgress.h"
#include "CTEVRadio.h"
#include "CTEVRadioGroup.h"
#include "CTEVSelectFile.h"
#include "CTEVSendCMD.h"
#include "CTEVSlider.h"
#include "CTEVSpacer.h"
#include "CTEVSpin.h"
#include "CTEVTab.h"
#include "CTEVTabBox.h"
#include "CTEVTabPanel.h"
#include "CTEVTabSwitcher.h"
#include "CTEVTextBox.h"
#include "CTEVUrl.h"
#include "ElementTags.h"

void RegisterStandardTags() {
    static const ElementTag kTags[] = {
        {L"textbox", MakeElement<CTEVTextBox>},
        {L"button", MakeElement<CTEVButton>},
        {L"groupbox", MakeElement<CTEVGroupbox>},
        {L"label", MakeElement<CTEVLabel>},
        {L"checkbox", MakeElement<CTEVCheckbox>},
        {L"radio", MakeElement<CTEVRadio>},
        {L"combobox", MakeElement<CTEVComboBox>},
        {L"menupopup", MakeElement<CTEVMenuPopup>},
        {L"menuitem", MakeElement<CTEVMenuItem>},
        {L"radiogroup", MakeElement<CTEVRadioGroup>},
        {L"spin", MakeElement<CTEVSpin>},
        {L"spacer", MakeElement<CTEVSpacer>},
        {L"menubar", MakeElement<CTEVMenuBar>},
        {L"listitem", MakeElement<CTEVListItem>},
        {L"menuseparator", MakeElement<CTEVMenuSeparator>},
        {L"slider", MakeElement<CTEVSlider>},
        {L"hotkey", MakeElement<CTEVHotkey>},
        {L"picture", MakeElement<CTEVPicture>},
        {L"listbox", MakeElement<CTEVListBox>},
        {L"line", MakeElement<CTEVLine>},
        {L"url", MakeElement<CTEVUrl>},
        {L"list", MakeElement<CTEVList>},
        {L"selectfile", MakeElement<CTEVSelectFile>},
        {L"ext", MakeElement<CTEVExt>},
        {L"listcol", MakeElement<CTEVListCol>},
        {L"checkslist", MakeElement<CTEVChecksList>},
        {L"checkitem", MakeElement<CTEVCheckItem>},
        {L"freedraw", MakeElement<CTEVFreeDraw>},
        {L"disabler", MakeElement<CTEVDisabler>},
        {L"sendcmd", MakeElement<CTEVSendCMD>},
        {L"progress", MakeElement<CTEVProgress>},
        {L"openhelp", MakeElement<CTEVOpenHelp>},
        {L"color", MakeElement<CTEVColor>},
        {L"tabswitcher", MakeElement<CTEVTabSwitcher>},
        {L"tab", MakeElement<CTEVTab>},
        {L"tabbox", MakeElement<CTEVTabBox>},
        {L"tabpanel", MakeElement<CTEVTabPanel>},
    };
    static const bool registered = (RegisterElementTags(kTags), true);
    (void)registered;
}
