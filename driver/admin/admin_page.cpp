#include "driver/admin/admin_page.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFont>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "driver/admin/admin_rules.h"
#include "driver/admin/careful_question.h"
#include "driver/messages.h"

namespace driver {

CAdminPage::CAdminPage(ISheetHost& host, CSheetStatus& status, QWidget* parent)
    : QWidget(parent), m_Host(host), m_Status(status) {
  const CSheetFont font = m_Host.PageFont();
  setFont(QFont(FromBytes(font.m_Face), font.m_Height));
  m_EcrSelector.setObjectName("ecrSelector");
}

void CAdminPage::showEvent(QShowEvent* event) {
  EnsureInitialised();
  if (m_EcrSelector.count() > 0) m_EcrSelector.setCurrentIndex(m_Host.SelectedRegister());
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
  connect(&m_EcrSelector, &QComboBox::activated, this, [this](int index) { m_Host.SetSelectedRegister(index); });
}

// One entry per register in list order, showing its number and type ("ECR 3 — type 0": what a type
// can do differs) and carrying its record.
void CAdminPage::FillEcrSelector() {
  const std::vector<CEcrContext*> registers = m_Host.Registers();
  if (registers.empty()) return;
  for (CEcrContext* ecr : registers)
    m_EcrSelector.addItem(Message("99", {std::to_string(ecr->m_EcrId), std::to_string(ecr->m_EcrType)}),
                          QVariant::fromValue(static_cast<void*>(ecr)));
  m_EcrSelector.setCurrentIndex(m_Host.SelectedRegister());
}

CEcrContext* CAdminPage::ChosenEcr() const {
  if (m_EcrSelector.currentIndex() < 0) return nullptr;
  return static_cast<CEcrContext*>(m_EcrSelector.currentData().value<void*>());
}

QString CAdminPage::Message(const char* number, const std::vector<std::string>& values) const {
  return FromBytes(values.empty() ? m_Host.MessageText(number) : FillIn(m_Host.MessageText(number), values));
}

void CAdminPage::ShowStatus(const char* number, const std::vector<std::string>& values) {
  m_Status.ShowMessage(number, values);
}

// A job that could not be started sent nothing; the line says so rather than nothing at all.
void CAdminPage::StartJob(CEcrContext& ecr, CJobKind job, const CJobExtras& extras) {
  m_Host.SetSelectedRegister(m_EcrSelector.currentIndex());
  const std::int32_t jobCode = JobCodeOf(job);
  if (StartAdminJob(m_Host.JobHost(), ecr, std::move(job)) == JobStartResult::Started) {
    m_Status.JobStarted(ecr, jobCode, extras.m_Report, extras.m_Note);
  } else {
    m_Status.JobNotStarted(ecr);
  }
}

bool CAdminPage::Confirm(const char* number, const CEcrContext& ecr) {
  return ConfirmCarefully(this, FromBytes(FillIn(m_Host.MessageText(number), {std::to_string(ecr.m_EcrId)})));
}

bool CAdminPage::DepartmentAllowed(QComboBox& departments, const CEcrContext& ecr) {
  if (!UsesStarRules(ecr.m_EcrType) || SelectedNumber(departments) <= kStarLastDepartment) return true;
  ShowStatus("3");
  SelectNumber(departments, kStarLastDepartment);
  return false;
}

std::optional<std::string> CAdminPage::AmountOf(QLineEdit& field, const QString& label, const CEcrContext& ecr) {
  const std::optional<std::string> amount = SheetAmount(TextOf(field));
  if (!amount) {
    ShowStatus("85", {ToBytes(label), TextOf(field)});
    field.setFocus();
    field.selectAll();
    return std::nullopt;
  }
  return RegisterDecimal(*amount, ecr.m_EcrType);
}

QGroupBox* CAdminPage::MakeEcrFrame(const QString& caption) {
  auto* frame = new QGroupBox(caption);
  frame->setObjectName("ecrFrame");
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
