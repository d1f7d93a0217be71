#include "driver/admin/prop_dialog.h"

#include <QFont>
#include <QVBoxLayout>

#include "driver/admin/departments_page.h"
#include "driver/admin/headers_page.h"
#include "driver/admin/offers_page.h"
#include "driver/admin/plus_page.h"
#include "driver/admin/reports_page.h"
#include "driver/admin/utilities_page.h"
#include "driver/admin/zero_set_page.h"

namespace driver {
namespace {

constexpr int kStatusFontHeight = 16;

// Tab labels in page order: Reports, ZeroSet, Departments, PLUs, OFFERs, Headers, Utilities.
constexpr const char* kTabLabels[kSheetPages] = {"20", "23", "21", "64", "66", "22", "24"};

}  // namespace

CPropDialog::CPropDialog(ISheetHost& host, QWidget* parent) : QDialog(parent) {
  setWindowTitle("QorDriver");
  setObjectName("propDialog");
  const CAdminPage::StatusLine statusLine = [this](const std::string& text) { ShowStatus(text); };
  CAdminPage* pages[kSheetPages] = {
      new CReports(host, statusLine), new CZeroSet(host, statusLine),  new CDepartments(host, statusLine),
      new CPlus(host, statusLine),    new COffers(host, statusLine),   new CHeaders(host, statusLine),
      new CUtilities(host, statusLine),
  };
  for (int page = 0; page < kSheetPages; ++page)
    m_Tabs.addTab(pages[page], FromBytes(host.MessageText(kTabLabels[page])));

  m_Status.setObjectName("status");
  m_Status.setReadOnly(true);
  QFont statusFont(FromBytes(host.PageFont().m_Face));
  statusFont.setPixelSize(kStatusFontHeight);
  m_Status.setFont(statusFont);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&m_Tabs);
  layout->addWidget(&m_Status);
  // The first page is the one on show; the others load when they are first shown.
  pages[0]->EnsureInitialised();
}

// A text longer than the line shows its beginning.
void CPropDialog::ShowStatus(const std::string& text) {
  m_Status.setText(FromBytes(text));
  m_Status.setCursorPosition(0);
}

std::string CPropDialog::StatusText() const { return ToBytes(m_Status.text()); }

CAdminPage& CPropDialog::Page(int index) { return *static_cast<CAdminPage*>(m_Tabs.widget(index)); }

}  // namespace driver
