#include "ui/about_actions.h"

#include "runtime/win32/window_commands.h"
#include "ui/about_window.h"
#include "ui/product_info.h"
#include "ui/web_links.h"

namespace {

Text g_linkAddress;  // the user-interface thread only

void setLabel(int unit, const char* text) {
    setProperty(unitOf(aboutWindow(), unit), Property::Content, Text(text));
}

}  // namespace

const Text& linkAddress() { return g_linkAddress; }

void fillAboutTexts() {
    using namespace AboutWin;
    setLabel(标签_作者, ProductInfo::kRightsNotice);
    setLabel(标签_程序, ProductInfo::kProgramLine);
    setLabel(标签_其他, ProductInfo::kMoreSoftware);
    setLabel(标签_网址, ProductInfo::kMakerSite);
    Value shown = getProperty(unitOf(aboutWindow(), 标签_网址), Property::Content);
    const Text* text = std::get_if<Text>(&shown);
    g_linkAddress = text ? *text : Text();
}

void followLink() { openWebAddress(g_linkAddress); }

void openMakerSite() { openWebAddress(ProductInfo::kMakerSite); }
