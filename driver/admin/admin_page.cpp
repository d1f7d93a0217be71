#include "driver/admin/admin_page.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFont>
#include <QLineEdit>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"

namespace driver {

CAdminPage::CAdminPage(ISheetHost& host, StatusLine statusLine, QWidget* parent)
    : QWidget(parent), m_Host(host), m_StatusLine(std::move(statusLine)) {
  const CSheetFont font = m_Host.PageFont();
  setFont(QFont(FromBytes(font.m_Face), font.m_Height));
  m_EcrSelector.setObjectName("ecrSelector");
}

void CAdminPage::showEvent(QShowEvent* event) {
  EnsureInitialised();
  QWidget::showEvent(event);
}

void CAdminPage::EnsureInitialised() {
  if (m_Initialised) return;
  m_Initialised = true;
  FillEcrSelector();
  if (CEcrContext* ecr = ChosenEcr()) LoadInitial(*ecr);
  connect(&m_EcrSelector, &QComboBox::currentIndexChanged, this, [this] {
    if (CEcrContext* ecr = ChosenEcr()) LoadAfterChange(*ecr);
  });
}

// One entry per register in list order, showing its number and carrying its record.
void CAdminPage::FillEcrSelector() {
  const std::vector<CEcrContext*> registers = m_Host.Registers();
  if (registers.empty()) return;
  for (CEcrContext* ecr : registers)
    m_EcrSelector.addItem(QString::number(ecr->m_EcrId), QVariant::fromValue(static_cast<void*>(ecr)));
  m_EcrSelector.setCurrentIndex(m_Host.SelectedRegister());
}

CEcrContext* CAdminPage::ChosenEcr() const {
  if (m_EcrSelector.currentIndex() < 0) return nullptr;
  return static_cast<CEcrContext*>(m_EcrSelector.currentData().value<void*>());
}

QString CAdminPage::Message(const char* number) const { return FromBytes(m_Host.MessageText(number)); }

void CAdminPage::ShowStatus(const char* number) {
  if (m_StatusLine) m_StatusLine(m_Host.MessageText(number));
}

void CAdminPage::StartJob(CEcrContext& ecr, std::int32_t jobCode, const BeforeResume& beforeResume) {
  m_Host.SetSelectedRegister(m_EcrSelector.currentIndex());
  StartAdminJob(m_Host.JobHost(), ecr, jobCode, beforeResume);
}

bool CAdminPage::DepartmentAllowed(QComboBox& departments, const CEcrContext& ecr) {
  if (!UsesStarRules(ecr.m_EcrType) || SelectedNumber(departments) <= kStarLastDepartment) return true;
  ShowStatus("3");
  SelectNumber(departments, kStarLastDepartment);
  return false;
}

QGroupBox* CAdminPage::MakeEcrFrame(const QString& caption) {
  auto* frame = new QGroupBox(caption);
  auto* layout = new QVBoxLayout(frame);
  layout->addWidget(&m_EcrSelector);
  return frame;
}

QString FromBytes(const std::string& bytes) { return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size())); }

std::string ToBytes(const QString& text) { return text.toLocal8Bit().toStdString(); }

std::string TextOf(const QLineEdit& field) { return ToBytes(field.text()); }

void FillNumberSelector(QComboBox& selector, int first, int last) {
  for (int number = first; number <= last; ++number) selector.addItem(QString::number(number), number);
}

void SelectNumber(QComboBox& selector, int number) {
  const int index = selector.findData(number);
  selector.setCurrentIndex(index >= 0 ? index : 0);
}

int SelectedNumber(const QComboBox& selector) { return selector.currentData().toInt(); }

void CheckChoice(QButtonGroup& group, int id) {
  if (QAbstractButton* button = group.button(id)) {
    button->setChecked(true);
    return;
  }
  // An exclusive group keeps its checked button; lift that for the moment of clearing.
  group.setExclusive(false);
  for (QAbstractButton* button : group.buttons()) button->setChecked(false);
  group.setExclusive(true);
}

}  // namespace driver
