#include "AboutBox.h"

#include "WidgetryApp.h"
#include "toolkit/CLanguageTools.h"
#include "toolkit/CStringLang.h"
#include "toolkit/WidgetryFunctions.h"
#include "toolkit/WidgetryRes.h"

namespace helm::toolkit {

AboutBox::AboutBox() : CDialog(IDD_WIDGETRY_ABOUT) {}

void AboutBox::set_product(const CProductInfo& product, const CString& appName)
{
    m_product = product;
    m_appName = appName;
    if (m_hWnd)
        show_texts();
}

BOOL AboutBox::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_logo.SubclassDlgItem(IDC_ABOUT_LOGO, this);
    for (int i = 0; i < 8; ++i) {
        m_texts[i].SubclassDlgItem(IDC_ABOUT_NAME_LABEL + i, this);
        m_texts[i].F_SetBckColor(RGB(255, 255, 255));
        m_texts[i].F_SetTxtColor(0xC00000);
    }
    show_texts();
    return TRUE;
}

void AboutBox::show_texts()
{
    CLanguageTools::F_ProcessWindow(this);
    SetDlgItemText(IDC_ABOUT_NAME, m_product.m_strProductName);
    SetDlgItemText(IDC_ABOUT_VERSION, m_product.m_strProductVersion);
    SetDlgItemText(IDC_ABOUT_COPYRIGHT, m_product.m_strCopyright);
    SetDlgItemText(IDC_ABOUT_WEB, web_site);
    CStringLang title;
    if (title.LoadString(AfxGetResourceHandle(), IDS_ABOUT_TITLE)) {
        title.Replace("%app%", m_product.m_strProductName.IsEmpty() ? m_appName : m_product.m_strProductName);
        SetWindowText(title);
    }
}

void AboutBox::OnOK()
{
    ShowWindow(SW_HIDE);
}

void AboutBox::OnCancel()
{
    ShowWindow(SW_HIDE);
}

void show_about_box(HWND parent, const CProductInfo& product)
{
    const CString appName = AfxGetAppName();
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    WidgetryApp& app = widgetry_app();
    if (!app.m_pAboutBox)
        app.m_pAboutBox = new AboutBox;
    auto* box = static_cast<AboutBox*>(app.m_pAboutBox);
    box->set_product(product, appName);
    if (!box->m_hWnd && !box->Create(IDD_WIDGETRY_ABOUT, CWnd::FromHandle(parent)))
        return;
    if (!box->IsWindowVisible())
        box->ShowWindow(SW_SHOW);
    box->SetWindowPos(&CWnd::wndTop, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    box->SetActiveWindow();
}

}  // namespace helm::toolkit

void LoadAboutBox(HWND parent)
{
    helm::toolkit::show_about_box(parent, CProductInfo());
}

void LoadAboutBox2(HWND parent, LPCSTR name, LPCSTR copyright, LPCSTR comments)
{
    CProductInfo product;
    if (name)
        product.m_strProductName = name;
    if (copyright)
        product.m_strCopyright = copyright;
    if (comments)
        product.m_strComments = comments;
    helm::toolkit::show_about_box(parent, product);
}
