#include "UnitEditor.h"

#include "KeyFilters.h"
#include "StringTableModel.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "units/UnitRules.h"
#include "units/UnitStore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zq::ui {
namespace {

const char16_t* const kItemLabels[6] = {u"收入额对应工资项", u"应纳税所得工资项", u"减免税对应工资项",
                                        u"抵免境外税工资项", u"实缴税对应工资项", u"证件号对应工资项"};

// A box takes at most `limit` characters as the user types, pastes or commits from an input method; a longer
// edit is refused whole. A longer stored value is shown whole rather than cut without a word (the save's
// checks then speak about it) and may only get shorter.
QLineEdit* limitedBox(const QString& name, int limit, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    installLengthFilter(box, limit);
    return box;
}

QComboBox* makeList(const QString& name, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(12);
    return list;
}

} // namespace

UnitEditor::UnitEditor(const AppContext& ctx, StringTableModel* unitRows, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_rows(unitRows), m_payroll(ctx)
{
    setObjectName(QStringLiteral("frmUnit"));
    setWindowTitle(QStringLiteral("单位信息维护"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("stbUnitInfo"));
    auto* basic = new QWidget(m_tabs);
    auto* settings = new QWidget(m_tabs);
    m_tabs->addTab(basic, QStringLiteral("基本信息(&I)"));
    m_tabs->addTab(settings, QStringLiteral("设置信息(&T)"));
    layout->addWidget(m_tabs, 1);
    buildBasicPage(basic);
    buildSettingsPage(settings);

    auto* buttons = new QHBoxLayout;
    m_ok = new QPushButton(QStringLiteral("确定(&S)"), this);
    m_ok->setObjectName(QStringLiteral("cmdOk"));
    m_cancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancle"));
    // Enter moves between the boxes; it must not press a button behind the user's back.
    for (QPushButton* b : {m_ok, m_cancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, [this] { save(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_tabOrder = {m_name, m_code, m_phone, m_declarant, m_soft, m_copy, m_year};
    for (QComboBox* item : m_items)
        m_tabOrder << item;
    m_tabOrder << m_ok << m_cancel;
    for (qsizetype i = 0; i + 1 < m_tabOrder.size(); ++i)
        setTabOrder(m_tabOrder[i], m_tabOrder[i + 1]);
    for (QWidget* w :
         {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_code), static_cast<QWidget*>(m_phone),
          static_cast<QWidget*>(m_declarant), static_cast<QWidget*>(m_soft), static_cast<QWidget*>(m_copy)})
        w->installEventFilter(this);

    // Selections made by the user and by the window run the same steps, once per change; filling a list
    // blocks its signals so that only the deliberate selection counts.
    connect(m_soft, &QComboBox::currentIndexChanged, this, &UnitEditor::editionChanged);
    connect(m_copy, &QComboBox::currentIndexChanged, this, &UnitEditor::accountSetChanged);
    connect(m_year, &QComboBox::currentIndexChanged, this, &UnitEditor::yearChanged);

    resize(520, 400);
}

UnitEditor::~UnitEditor() = default;

void UnitEditor::buildBasicPage(QWidget* page)
{
    auto* form = new QFormLayout(page);
    form->setContentsMargins(24, 24, 24, 24);
    form->setVerticalSpacing(14);
    m_name = limitedBox(QStringLiteral("txtUName"), units::NameMaxLength, page);
    m_code = limitedBox(QStringLiteral("txtUCode"), units::ComputerCodeMaxLength, page);
    m_phone = limitedBox(QStringLiteral("txtPhone"), units::PhoneMaxLength, page);
    m_declarant = limitedBox(QStringLiteral("txtDeclPer"), units::DeclarePersonMaxLength, page);
    form->addRow(QStringLiteral("单位名称"), m_name);
    form->addRow(QStringLiteral("计算机编码"), m_code);
    form->addRow(QStringLiteral("有效联系电话"), m_phone);
    form->addRow(QStringLiteral("声明人"), m_declarant);
}

void UnitEditor::buildSettingsPage(QWidget* page)
{
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(16);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    m_soft = makeList(QStringLiteral("cmbSoft"), page);
    grid->addWidget(new QLabel(QStringLiteral("单位使用软件版本"), page), 0, 0, 1, 2);
    grid->addWidget(m_soft, 1, 0, 1, 2);

    m_copy = makeList(QStringLiteral("cmbCopy"), page);
    m_year = makeList(QStringLiteral("cmbYear"), page);
    m_year->setMinimumContentsLength(6);
    grid->addWidget(new QLabel(QStringLiteral("工资项所在的帐套                           年度"), page), 2, 0,
                    1, 2);
    auto* line = new QHBoxLayout;
    line->addWidget(m_copy, 3);
    line->addWidget(m_year, 1);
    grid->addLayout(line, 3, 0, 1, 2);

    for (int i = 0; i < 6; ++i) {
        m_items[i] = makeList(QStringLiteral("cmbSaCode_%1").arg(i + 1), page);
        const int row = 4 + (i / 2) * 2;
        const int column = i % 2;
        grid->addWidget(new QLabel(QString::fromUtf16(kItemLabels[i]), page), row, column);
        grid->addWidget(m_items[i], row + 1, column);
    }
    grid->setRowStretch(10, 1);
}

int UnitEditor::FrmInit(int row, const QStringList& editionNames, const QStringList& editionKeys)
{
    prepare(row, editionNames, editionKeys);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
    return exec();
}

void UnitEditor::prepare(int row, const QStringList& editionNames, const QStringList& editionKeys)
{
    if (row > m_rows->rowCount())
        row = 0;
    m_row = qMax(0, row);
    m_preparing = true;
    m_linkUnread = false;
    QString heldEdition;
    QString heldCopyId;
    QString heldYear;
    QStringList cells;
    if (m_row < 1) {
        m_unitName.clear();
        m_unitId.clear();
    } else {
        cells = m_rows->row(m_row - 1);
        m_unitName = cells.value(0);
        m_unitId = cells.value(13).trimmed();
        heldEdition = cells.value(4);
        heldCopyId = cells.value(5);
        heldYear = cells.value(12);
    }
    m_heldCells = cells;
    m_name->setText(m_unitName);
    m_code->setText(cells.value(1));
    m_phone->setText(cells.value(2));
    m_declarant->setText(cells.value(3));

    m_editionKeys = editionKeys;
    int edition = -1;
    {
        const QSignalBlocker block(m_soft);
        m_soft->clear();
        for (qsizetype i = 0; i < editionNames.size(); ++i) {
            m_soft->addItem(editionNames[i]);
            if (editionNames[i] == heldEdition)
                edition = int(i);
        }
        m_soft->setCurrentIndex(-1);
    }
    editionChanged(); // no edition yet: empties the other lists
    if (edition >= 0)
        m_soft->setCurrentIndex(edition);

    for (int i = 0; i < m_copy->count(); ++i) {
        if (units::isAccountSetEntry(m_copy->itemText(i), heldCopyId)) {
            m_copy->setCurrentIndex(i);
            break;
        }
    }

    int year = -1;
    for (int i = 0; i < m_year->count(); ++i)
        if (m_year->itemText(i) == heldYear)
            year = i; // the last of equal years
    if (year >= 0)
        m_year->setCurrentIndex(year);

    if (isChanging())
        for (int i = 1; i <= 6; ++i)
            SelectSalaryItem(i, cells.value(i + 5));
    m_preparing = false;
    m_linkUnread = m_linkUnread && isChanging();
    m_tabs->setCurrentIndex(0);
    m_name->setFocus();
}

void UnitEditor::listUnread()
{
    if (m_preparing)
        m_linkUnread = true;
}

void UnitEditor::editionChanged()
{
    if (!m_preparing)
        m_linkUnread = false;
    {
        const QSignalBlocker blockCopy(m_copy);
        const QSignalBlocker blockYear(m_year);
        m_copy->clear();
        m_year->clear();
    }
    ClearSalaryItems();
    m_payroll.close();
    const int chosen = m_soft->currentIndex();
    if (chosen < 0)
        return;
    const PayrollSource::EditionOpening opening =
        m_payroll.openEdition(m_soft->currentText(), m_editionKeys.value(chosen));
    if (!opening.resolved) {
        listUnread();
        const QSignalBlocker block(m_soft);
        m_soft->setCurrentIndex(-1);
        return;
    }
    if (opening.accountSets.isEmpty()) { // after its message
        listUnread();
        return;
    }
    {
        const QSignalBlocker block(m_copy);
        for (const finance::AccountSet& set : opening.accountSets)
            m_copy->addItem(units::accountSetEntry(set.copyId, set.copyName));
        m_copy->setCurrentIndex(-1);
    }
    m_copy->setCurrentIndex(0);
}

void UnitEditor::accountSetChanged()
{
    if (!m_preparing)
        m_linkUnread = false;
    if (m_copy->currentIndex() < 0)
        return;
    const std::optional<QStringList> years = m_payroll.years(units::accountSetIdOf(m_copy->currentText()));
    if (!years)
        listUnread();
    // An account set without years empties the year list too: the years of the account set chosen before
    // would otherwise stay on offer for one they do not belong to.
    const QSignalBlocker block(m_year);
    m_year->clear();
    if (years)
        m_year->addItems(*years);
    m_year->setCurrentIndex(-1);
}

void UnitEditor::yearChanged()
{
    if (!m_preparing)
        m_linkUnread = false;
    if (m_year->currentIndex() < 0 || m_copy->currentIndex() < 0)
        return;
    const auto items =
        m_payroll.salaryItems(units::accountSetIdOf(m_copy->currentText()), m_year->currentText());
    if (!items) {
        listUnread();
        return;
    }
    ClearSalaryItems();
    for (const finance::SalaryItem& item : *items)
        AddSalaryItem(units::salaryItemEntry(item.code, item.name));
}

void UnitEditor::ClearSalaryItems()
{
    for (QComboBox* list : m_items)
        list->clear();
}

void UnitEditor::AddSalaryItem(const QString& text)
{
    for (QComboBox* list : m_items) {
        const int chosen = list->currentIndex();
        list->addItem(text);
        list->setCurrentIndex(chosen); // the first entry of an empty list is not chosen by being added
    }
}

void UnitEditor::SelectSalaryItem(int index, const QString& code)
{
    if (code.isEmpty())
        return;
    QComboBox* list = salaryItemList(index);
    for (int i = 0; i < list->count(); ++i) {
        if (units::isSalaryItemEntry(list->itemText(i), code)) {
            list->setCurrentIndex(i);
            return;
        }
    }
}

QString UnitEditor::GetSalaryItemCode(int index) const
{
    const QComboBox* list = salaryItemList(index);
    return list->currentIndex() < 0 ? QString() : units::salaryItemCodeOf(list->currentText());
}

bool UnitEditor::save()
{
    QStringList others;
    for (int r = 0; r < m_rows->rowCount(); ++r)
        if (!(isChanging() && r == m_row - 1))
            others << m_rows->text(r, 0);
    if (const auto problem = units::checkUnit(m_name->text(), m_code->text(), others)) {
        m_ctx.prompter->notice(problem->title, problem->text, Prompter::Icon::None);
        focusBox(problem->field == units::UnitField::Name ? m_name : m_code);
        return false;
    }
    // Lists that could not be loaded say nothing about the link: the stored one is kept as it is.
    const bool keepLink = m_linkUnread;
    if (!keepLink && m_copy->currentIndex() < 0 &&
        m_ctx.prompter->message(units::msg::saveTitle(), units::msg::noAccountSet(), Prompter::Icon::Question,
                                Prompter::Buttons::OkCancel) != Prompter::Answer::Ok)
        return false;

    UnitRecord unit;
    unit.unitId = m_unitId;
    unit.name = m_name->text().trimmed();
    unit.computerCode = m_code->text().trimmed();
    unit.phone = m_phone->text().trimmed();
    unit.declarePerson = m_declarant->text().trimmed();
    unit.softVer = m_soft->currentIndex() < 0 ? QString() : m_soft->currentText().trimmed();
    unit.copyId = m_copy->currentIndex() < 0 ? QString() : units::accountSetIdOf(m_copy->currentText());
    unit.copyYear = m_year->currentIndex() < 0 ? QString() : m_year->currentText();
    for (int i = 1; i <= 6; ++i)
        unit.saCodes[i - 1] = GetSalaryItemCode(i);
    if (keepLink) {
        const UnitRecord held = UnitRecord::fromListRow(m_heldCells);
        unit.softVer = held.softVer.trimmed();
        unit.copyId = held.copyId;
        unit.copyYear = held.copyYear;
        unit.saCodes = held.saCodes;
    }
    try {
        unit.unitId = QString::number(UnitStore(*m_ctx.db).save(unit));
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(units::msg::saveTitle(), errorTypeMessage(e), Prompter::Icon::Exclamation);
        return false;
    }
    if (keepLink)
        m_ctx.prompter->notice(
            units::msg::saveTitle(),
            QStringLiteral("财务软件的账套信息没有读出，单位原有的财务软件版本、账套、年度和"
                           "工资项目设置保持不变。"),
            Prompter::Icon::Exclamation);

    if (isChanging() && m_row - 1 < m_rows->rowCount())
        m_rows->removeRow(m_row - 1);
    m_rows->appendRow(unit.toListRow());
    accept();
    return true;
}

void UnitEditor::focusBox(QWidget* box)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->widget(i)->isAncestorOf(box))
            m_tabs->setCurrentIndex(i);
    box->setFocus(Qt::TabFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(box))
        line->selectAll();
}

void UnitEditor::moveOn(QWidget* from)
{
    const qsizetype at = m_tabOrder.indexOf(from);
    if (at >= 0 && at + 1 < m_tabOrder.size())
        focusBox(m_tabOrder[at + 1]);
}

bool UnitEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            moveOn(static_cast<QWidget*>(watched));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void UnitEditor::done(int result)
{
    m_payroll.close();
    QDialog::done(result);
}

} // namespace zq::ui
