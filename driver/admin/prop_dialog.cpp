#include "driver/admin/prop_dialog.h"

#include <QFont>
#include <QFontMetrics>
#include <QScreen>
#include <QTabBar>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "driver/admin/departments_page.h"
#include "driver/admin/headers_page.h"
#include "driver/admin/offers_page.h"
#include "driver/admin/plus_page.h"
#include "driver/admin/reports_page.h"
#include "driver/admin/utilities_page.h"
#include "driver/admin/zero_set_page.h"

namespace driver {
namespace {

// The status line's font height of 16 was drawn for 96 dots per inch, where it is 12 points; in
// points it follows the desktop's font scaling.
constexpr int kStatusFontPoints = 12;

// Tab labels in page order: Reports, ZeroSet, Departments, PLUs, OFFERs, Headers, Utilities.
constexpr const char* kTabLabels[kSheetPages] = {"20", "23", "21", "64", "66", "22", "24"};

}  // namespace

CPropDialog::CPropDialog(ISheetHost& host, QWidget* parent)
    : QDialog(parent), m_StatusLine(host, m_Status, m_StatusTime) {
  setWindowTitle("QorDriver");
  setObjectName("propDialog");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                 Qt::WindowCloseButtonHint);
  CAdminPage* pages[kSheetPages] = {
      new CReports(host, m_StatusLine), new CZeroSet(host, m_StatusLine),  new CDepartments(host, m_StatusLine),
      new CPlus(host, m_StatusLine),    new COffers(host, m_StatusLine),   new CHeaders(host, m_StatusLine),
      new CUtilities(host, m_StatusLine),
  };
  for (int page = 0; page < kSheetPages; ++page)
    m_Tabs.addTab(pages[page], FromBytes(host.MessageText(kTabLabels[page])));

  m_Status.setObjectName("status");
  m_Status.setReadOnly(true);
  m_Status.setFont(QFont(FromBytes(host.PageFont().m_Face), kStatusFontPoints));
  // Three lines, wrapped anywhere a long path needs it; the whole text can be selected.
  m_Status.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  m_Status.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  m_Status.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  const QFontMetrics lines(m_Status.font());
  m_Status.setFixedHeight(3 * lines.lineSpacing() +
                          2 * (m_Status.frameWidth() + static_cast<int>(m_Status.document()->documentMargin())) + 2);
  m_StatusTime.setObjectName("statusTime");
  m_StatusTime.setFont(m_Status.font());
  m_StatusTime.setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_StatusTime.setMinimumWidth(lines.horizontalAdvance(QStringLiteral("00:00:00 ")));
  auto* status = new QHBoxLayout;
  status->addWidget(&m_StatusTime);
  status->addWidget(&m_Status, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(&m_Tabs);
  layout->addLayout(status);
  // The first page is the one on show; the others load when they are first shown.
  pages[0]->EnsureInitialised();
  resize(OpeningSize());
}

QSize CPropDialog::OpeningSize() const {
  const QMargins margins = layout()->contentsMargins();
  const int sides = margins.left() + margins.right();
  int width = std::max(sizeHint().width(), m_Tabs.tabBar()->sizeHint().width() +
                                               2 * m_Tabs.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + sides);
  if (const QScreen* display = screen()) width = std::min(width, display->availableGeometry().width());
  return {width, sizeHint().height()};
}

void CPropDialog::ShowStatus(const std::string& text) { m_StatusLine.Show(text); }

std::string CPropDialog::StatusText() const { return m_StatusLine.Text(); }

CAdminPage& CPropDialog::Page(int index) { return *static_cast<CAdminPage*>(m_Tabs.widget(index)); }

}  // namespace driver
