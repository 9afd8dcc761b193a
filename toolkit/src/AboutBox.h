// The toolkit's About box (dialog 10000): the product's name, version,
// copyright and the maker's web site under the maker's logo, in the chosen
// language. Modeless, made once and kept by the library's application
// object; OK and the close box hide it.
#pragma once

#include "toolkit/CProductInfo.h"
#include "toolkit/CStaticColor.h"
#include "toolkit/CStaticLogo.h"

namespace helm::toolkit {

class AboutBox : public CDialog {
public:
    AboutBox();

    // New texts for the box (shown at once when it is open); the caption
    // names the product, or the calling application when it has no name.
    void set_product(const CProductInfo& product, const CString& appName);

    // The maker's web site.
    static constexpr const char* web_site = "www.varnek.example";

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void show_texts();

    CProductInfo m_product;
    CString m_appName;
    CStaticLogo m_logo;
    CStaticColor m_texts[8];  // labels 10003 to 10006, values 10007 to 10010
};

// Shows the box (made on first use) over `parent`, with these texts. Called
// in the calling module's state: the product and the application's name
// are the caller's.
void show_about_box(HWND parent, const CProductInfo& product);

}  // namespace helm::toolkit
