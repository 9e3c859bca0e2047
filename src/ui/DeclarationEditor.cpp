#include "DeclarationEditor.h"

#include "ColumnFit.h"
#include "DeclarationList.h"
#include "DeclarationTableModel.h"
#include "KeyFilters.h"
#include "KeyedToolBar.h"
#include "ReportWindows.h"
#include "WarningList.h"
#include "WindowHost.h"
#include "core/AppSettings.h"
#include "core/Database.h"
#include "core/Prompter.h"
#include "declarations/DeclarationStore.h"
#include "declarations/DeclarationValidator.h"
#include "declarations/DeclarationWarnings.h"
#include "declarations/RowClipboard.h"
#include "declarations/SalaryImport.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QShortcut>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>
#include <limits>

namespace zq::ui {
namespace {

using F = HeaderField;

QString appTitle()
{
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("ZqSalTax") : name;
}

// The grid column whose sum a header total shows.
HeaderField totalBoxOf(int column)
{
    switch (column) {
    case ColInComeM:
        return F::TaxMs;
    case ColTaxM:
        return F::TaxM;
    case ColReduTax:
        return F::ReduTaxM;
    default:
        return F::FactTax;
    }
}

bool hasTotal(int column)
{
    return column == ColInComeM || column == ColTaxM || column == ColReduTax || column == ColTaxM1;
}

QString stageLabel(SalaryImport::Stage stage)
{
    switch (stage) {
    case SalaryImport::Stage::ReadingSalary:
        return QStringLiteral("正在读取工资数据……");
    case SalaryImport::Stage::ReadingEmployees:
        return QStringLiteral("正在读取职工信息……");
    case SalaryImport::Stage::ReadingBrackets:
        return QStringLiteral("正在读取税率表……");
    case SalaryImport::Stage::Counting:
        return QStringLiteral("正在统计人数……");
    case SalaryImport::Stage::Filling:
        break;
    }
    return QStringLiteral("正在填写申报表……");
}

// Hands every prompt on, first closing the import's progress dialog so that no message appears behind it.
class ProgressHidingPrompter : public Prompter {
public:
    ProgressHidingPrompter(Prompter& inner, std::unique_ptr<QProgressDialog>& progress)
        : m_inner(inner), m_progress(progress)
    {
    }
    Answer message(const QString& title, const QString& text, Icon icon, Buttons buttons) override
    {
        // Closed, not hidden: a hidden progress dialog that had not appeared yet still shows itself when its
        // delay runs out, behind or over the message.
        m_progress.reset();
        return m_inner.message(title, text, icon, buttons);
    }
    std::optional<QString> input(const QString& t, const QString& p, const QString& d) override
    {
        return m_inner.input(t, p, d);
    }
    std::optional<QString> saveFileName(const QString& t, const QString& p, const QString& f) override
    {
        return m_inner.saveFileName(t, p, f);
    }
    Answer warnings(const QString& action, const Warnings& list) override
    {
        if (m_progress)
            m_progress->hide();
        return m_inner.warnings(action, list);
    }

private:
    Prompter& m_inner;
    std::unique_ptr<QProgressDialog>& m_progress;
};

// Every editor alive, to find the one open on a declaration.
QList<DeclarationEditor*>& liveEditors()
{
    static QList<DeclarationEditor*> editors;
    return editors;
}

} // namespace

DeclarationEditor* DeclarationEditor::openOn(const Database* db, qint64 appId)
{
    if (appId == 0)
        return nullptr;
    for (DeclarationEditor* e : liveEditors())
        if (!e->m_closed && e->m_appId == appId && e->m_ctx.db == db)
            return e;
    return nullptr;
}

DeclarationEditor::DeclarationEditor(const AppContext& ctx, WindowHost* host, qint64 unitId, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_host(host), m_unitId(unitId)
{
    setObjectName(QStringLiteral("frmTbInfo"));
    setWindowTitle(QStringLiteral("编辑报表[*]"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    layout->addWidget(m_toolbar);
    auto* header = new QWidget(this);
    layout->addWidget(header);
    m_grid = new GridView(this);
    m_grid->setObjectName(QStringLiteral("VfgSj"));
    layout->addWidget(m_grid, 1);

    buildToolbar();
    buildHeader(header);
    m_model = new DeclarationTableModel(&m_doc, this);
    m_grid->setModel(m_model);
    connect(m_model, &DeclarationTableModel::cellEdited, this, &DeclarationEditor::onCellEdited);
    connect(m_model, &DeclarationTableModel::contentChanged, this, [this] { setModified(true); });

    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    save->setContext(Qt::WidgetWithChildrenShortcut);
    connect(save, &QShortcut::activated, this, [this] {
        if (isModified())
            DoSave();
    });
    // Ctrl+C and Ctrl+V on the grid copy and paste rows; inside a cell editor they stay the editor's own.
    auto* copy = new QShortcut(QKeySequence::Copy, m_grid);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &DeclarationEditor::CopyRows);
    auto* paste = new QShortcut(QKeySequence::Paste, m_grid);
    paste->setContext(Qt::WidgetShortcut);
    connect(paste, &QShortcut::activated, this, &DeclarationEditor::PasteRows);
    resize(900, 600);
    liveEditors().append(this);
}

DeclarationEditor::~DeclarationEditor()
{
    liveEditors().removeOne(this);
    // The grid's open cell editor commits when it is destroyed; it must go while the document it writes into
    // (a member, destroyed before the child widgets) is still there.
    delete m_grid;
    m_grid = nullptr;
}

void DeclarationEditor::buildToolbar()
{
    m_actions =
        addKeyedButtons(m_toolbar, {
                                       {u"导入", u"导入", u"导入员工纳税额", QStyle::SP_ArrowDown},
                                       {u"增行", u"增行", u"", QStyle::SP_FileDialogNewFolder},
                                       {u"插行", u"插行", u"插入行", QStyle::SP_FileDialogListView},
                                       {u"删行", u"删行", u"", QStyle::SP_TrashIcon},
                                       {u"复制", u"复制", u"复制行", QStyle::SP_FileDialogDetailedView},
                                       {u"粘贴", u"粘帖", u"粘帖行", QStyle::SP_FileDialogContentsView},
                                       {u"检查", u"检查", u"检查可能的错误", QStyle::SP_MessageBoxWarning},
                                       {u"保存", u"保存", u"保存(CTRL+S)", QStyle::SP_DialogSaveButton},
                                       {u"撤消", u"撤消", u"撤消", QStyle::SP_BrowserReload},
                                       {u"帮助", u"Help", u"帮助主题", QStyle::SP_DialogHelpButton},
                                       {u"退出", u"Exit", u"退出", QStyle::SP_DialogCloseButton},
                                   });
    for (QAction* a : std::as_const(m_actions))
        connect(a, &QAction::triggered, this, [this, a] { onToolbar(a); });
    // The paper form, before 帮助.
    auto* print = new QAction(
        QIcon::fromTheme(QStringLiteral("document-print"), style()->standardIcon(QStyle::SP_FileIcon)),
        QStringLiteral("打印"), this);
    print->setObjectName(QStringLiteral("print"));
    print->setToolTip(QStringLiteral("打印申报表(CTRL+P)"));
    print->setShortcut(QKeySequence::Print);
    m_toolbar->insertAction(m_actions.value(QStringLiteral("帮助")), print);
    connect(print, &QAction::triggered, this, [this] {
        m_grid->commitOpenEditor(); // the cell being typed is printed too
        previewDeclaration(this, m_doc);
    });
}

void DeclarationEditor::buildHeader(QWidget* area)
{
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    // Three columns of boxes: Txt1 on the left, Txt2 in the middle, Txt3 on the right. The first line holds
    // 计算机代码 and 声明人, the second 联系电话, 税款所属月份 and 申报日期, then four lines of numbers.
    struct Place {
        F field;
        int arrayIndex; // 1, 2, 3
        int index;
        int line;
    };
    static const Place places[] = {
        {F::ComputerCode, 1, 0, 0},  {F::Phone, 1, 1, 1},   {F::UnitMen, 1, 2, 2},
        {F::UnitTaxMen, 1, 3, 3},    {F::OthMen, 1, 4, 4},  {F::OthTaxMen, 1, 5, 5},
        {F::DeclarePerson, 2, 0, 0}, {F::Month, 2, 1, 1},   {F::InComeM, 2, 2, 2},
        {F::TaxMs, 2, 3, 3},         {F::TaxM, 2, 4, 4},    {F::ReduTaxM, 2, 5, 5},
        {F::ApplyDate, 3, 0, 1},     {F::OutTaxM, 3, 1, 2}, {F::FactTax, 3, 2, 3},
        {F::OweTax, 3, 3, 4},        {F::BookNo, 3, 4, 5},
    };
    for (const Place& p : places) {
        auto* label = new QLabel(DeclarationDocument::caption(p.field).trimmed(), area);
        label->setObjectName(QStringLiteral("Lbl%1_%2").arg(p.arrayIndex).arg(p.index));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* box = new QLineEdit(area);
        box->setObjectName(QStringLiteral("Txt%1_%2").arg(p.arrayIndex).arg(p.index));
        label->setBuddy(box);
        const int col = (p.arrayIndex - 1) * 2;
        grid->addWidget(label, p.line, col);
        grid->addWidget(box, p.line, col + 1);
        m_labels[size_t(p.field)] = label;
        m_boxes[size_t(p.field)] = box;
        if (p.line >= 2)
            box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (DeclarationDocument::isReadOnlyBox(p.field)) {
            // A click takes the focus, so the text can be selected and copied and the keys typed next reach
            // this box (which refuses them), never a grid cell the user is not looking at. Tab passes it by.
            box->setReadOnly(true);
            box->setFocusPolicy(Qt::ClickFocus);
            QPalette pal = box->palette();
            pal.setBrush(QPalette::Base, pal.brush(QPalette::Window));
            box->setPalette(pal);
        }
        box->installEventFilter(this);
        const F field = p.field;
        connect(box, &QLineEdit::textChanged, this, [this, field](const QString& text) {
            m_doc.setHeader(field, text);
            setModified(true);
        });
    }
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);

    // What may be typed into each box.
    installByteLengthFilter(box(F::ComputerCode), 10);
    installByteLengthFilter(box(F::Phone), 50);
    installByteLengthFilter(box(F::DeclarePerson), 50);
    for (F f : {F::UnitMen, F::UnitTaxMen, F::OthMen, F::OthTaxMen})
        installNumericFilter(box(f), 12, 0);
    for (F f : {F::InComeM, F::OutTaxM, F::FactTax, F::OweTax})
        installNumericFilter(box(f), 12, 2);

    // Tab order: the text boxes of the first two lines, then the numbers column by column.
    const F order[] = {F::ComputerCode, F::Phone,   F::DeclarePerson, F::Month,   F::ApplyDate, F::UnitMen,
                       F::UnitTaxMen,   F::OthMen,  F::OthTaxMen,     F::InComeM, F::TaxMs,     F::TaxM,
                       F::ReduTaxM,     F::OutTaxM, F::FactTax,       F::OweTax,  F::BookNo};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(box(order[i]), box(order[i + 1]));
    setTabOrder(box(F::BookNo), m_grid);
}

void DeclarationEditor::InitGrid()
{
    GridColumns cols;
    const QStringList stored = m_ctx.settings ? m_ctx.settings->columnWidths().split(u',') : QStringList();
    try {
        m_codes[0] = std::make_shared<CodeList>(CodeList::nations(*m_ctx.db));
        m_codes[1] = std::make_shared<CodeList>(CodeList::professions(*m_ctx.db));
        m_codes[2] = std::make_shared<CodeList>(CodeList::incomeItems(*m_ctx.db));
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(appTitle(), e.description(), Prompter::Icon::Exclamation);
    }
    for (int c = 0; c < DetailColumnCount; ++c) {
        GridColumn col;
        col.title = DeclarationDocument::columnTitle(c);
        const int width = c < stored.size() ? int(Money::leading(stored[c]).raw() / Money::Scale) : 0;
        col.widthTwips = width >= 200 ? width : 1200;
        if (width >= 200)
            m_storedWidths.insert(c);
        col.numeric = DeclarationDocument::isNumericColumn(c);
        col.format = DeclarationDocument::columnFormat(c);
        col.alignment = (col.numeric ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        col.maxLength = DeclarationDocument::columnMaxLength(c);
        col.fixed = c == ColRowNo;
        if (DeclarationDocument::isCodeColumn(c))
            col.codes = m_codes[c - ColNation] ? m_codes[c - ColNation] : std::make_shared<CodeList>();
        cols << col;
    }
    m_grid->setColumns(cols);
}

void DeclarationEditor::StartWin(bool isNew, qint64 appId)
{
    if (m_host)
        m_host->setToolbarBandVisible(false);
    m_isNew = isNew;
    m_appId = appId;
    InitGrid();
    LoadDeclaration();
    fitToColumns();
    setModified(false);
}

void DeclarationEditor::fitToColumns()
{
    // A column without a stored width gets what its title and an ordinary value need; the window opens wide
    // enough to show every column (the main window bounds it), and the last column takes what is left.
    const QString amount = QStringLiteral("99,999,999.99");
    const int gridWidth = fitColumns(m_grid,
                                     {{ColIDCard, QStringLiteral("11010519491231002X")},
                                      {ColEmpName, QStringLiteral("欧阳建国")},
                                      {ColInComeM, amount},
                                      {ColTaxM, amount},
                                      {ColReduTax, amount},
                                      {ColNationTax, amount},
                                      {ColTaxM1, amount}},
                                     m_storedWidths);
    const QMargins margins = layout()->contentsMargins();
    const int wanted = qMax(layout()->minimumSize().width(), gridWidth + margins.left() + margins.right());
    resize(qMax(width(), wanted), height());
}

void DeclarationEditor::pushHeaderToBoxes()
{
    for (int i = 0; i < HeaderFieldCount; ++i)
        m_boxes[i]->setText(m_doc.header(F(i)));
}

void DeclarationEditor::LoadDeclaration()
{
    m_grid->commitOpenEditor();
    DeclarationStore store(*m_ctx.db);
    try {
        m_model->rebuild([&] {
            if (m_isNew) {
                store.loadNew(m_doc, m_unitId, QDate::currentDate());
            } else {
                store.loadStored(m_doc, m_appId);
                // A stored declaration without rows still gets a row to type into.
                if (m_doc.rowCount() == 0)
                    m_doc.appendRow();
            }
        });
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(appTitle(), e.description(), Prompter::Icon::Exclamation);
    }
    pushHeaderToBoxes();
    if (m_doc.rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, ColIDCard));
}

bool DeclarationEditor::isModified() const
{
    return m_actions.value(QStringLiteral("保存"))->isEnabled();
}

void DeclarationEditor::setModified(bool on)
{
    m_actions.value(QStringLiteral("保存"))->setEnabled(on);
    setWindowModified(on);
}

void DeclarationEditor::setBoxText(HeaderField f, const QString& text)
{
    box(f)->setText(text);
    m_doc.setHeader(f, text);
    setModified(true);
}

void DeclarationEditor::updateTotal(int column)
{
    setBoxText(totalBoxOf(column), m_doc.columnSum(column).format(u"#,##0.00"));
}

void DeclarationEditor::onCellEdited(int row, int column)
{
    if (row == m_doc.rowCount() - 1)
        m_model->appendRow();
    if (DeclarationDocument::isCodeColumn(column)) {
        const auto& codes = m_codes[column - ColNation];
        if (!codes || !codes->accepts(m_doc.cellText(row, column)))
            m_model->setCellText(row, column, QString());
    }
    if (hasTotal(column))
        updateTotal(column);
}

void DeclarationEditor::AddRow()
{
    m_model->appendRow();
}

void DeclarationEditor::InsertRow()
{
    const QModelIndex cur = m_grid->currentIndex();
    if (!cur.isValid() || m_doc.rowCount() == 0)
        return;
    m_model->insertRow(cur.row());
    // The cursor goes onto the new blank row, so a 删行 next takes that row away again.
    m_grid->setCurrentIndex(m_model->index(cur.row(), cur.column()));
}

void DeclarationEditor::DeleteRow()
{
    m_grid->commitOpenEditor();
    const QModelIndex cur = m_grid->currentIndex();
    if (!cur.isValid() || m_doc.rowCount() == 0)
        return;
    m_model->removeRow(cur.row());
    RecalcTotals();
}

void DeclarationEditor::RecalcTotals()
{
    setBoxText(F::UnitTaxMen, QString::number(m_doc.rowCount()));
    for (int c : {int(ColInComeM), int(ColTaxM), int(ColReduTax), int(ColTaxM1)})
        updateTotal(c);
}

void DeclarationEditor::ImportSalary()
{
    if (m_importing)
        return;
    m_grid->commitOpenEditor();
    m_importing = true;
    // The progress dialog appears only once the import reads (after the question and the month checks), and
    // only when that takes a while; it goes away before any message.
    std::unique_ptr<QProgressDialog> progress;
    ProgressHidingPrompter prompter(*m_ctx.prompter, progress);
    AppContext ctx = m_ctx;
    ctx.prompter = &prompter;

    SalaryImport salaryImport(ctx, m_unitId);
    salaryImport.setProgress([this, &progress](SalaryImport::Stage stage, qsizetype done, qsizetype total) {
        if (!progress) {
            progress = std::make_unique<QProgressDialog>(QString(), QString(), 0, 0, this);
            progress->setWindowTitle(QStringLiteral("导入"));
            progress->setWindowModality(Qt::WindowModal);
            progress->setMinimumDuration(400);
            progress->setAutoClose(false);
            progress->setAutoReset(false);
        }
        progress->setLabelText(stageLabel(stage));
        const int max = int(qMin<qsizetype>(total, std::numeric_limits<int>::max()));
        if (progress->maximum() != max)
            progress->setRange(0, max);
        // Once shown, the window-modal dialog lets the window repaint and keeps the user's input out of it.
        progress->setValue(int(qMin<qsizetype>(max == 0 ? 0 : done, max)));
    });
    // The import works on a copy: the grid keeps showing the document while the rows are read, and a failed
    // import leaves it as it was. The new rows and boxes are taken over before the closing message.
    DeclarationDocument work = m_doc;
    salaryImport.setApplied([this](const DeclarationDocument& doc, const SalaryImportResult& result) {
        if (result.rowsReplaced) {
            const GridView::Place place = m_grid->place();
            m_model->rebuild([&] { m_doc.rows() = doc.rows(); });
            m_grid->restorePlace(place, ColIDCard);
            setModified(true);
        }
        for (HeaderField f : result.boxesSet)
            setBoxText(f, doc.header(f));
    });
    const SalaryImportResult result = salaryImport.ImportSalary(work);
    progress.reset();
    m_importing = false;
    if (result.focus)
        box(*result.focus)->setFocus();
}

void DeclarationEditor::CopyRows()
{
    m_grid->commitOpenEditor();
    QList<int> rows;
    for (const QModelIndex& i : m_grid->selectionModel()->selectedIndexes())
        if (!rows.contains(i.row()))
            rows << i.row();
    if (rows.isEmpty() && m_grid->currentIndex().isValid())
        rows << m_grid->currentIndex().row();
    std::sort(rows.begin(), rows.end());
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setText(RowClipboard::copy(m_doc, rows));
}

void DeclarationEditor::PasteRows()
{
    m_grid->commitOpenEditor();
    const CodeList* lists[3] = {m_codes[0].get(), m_codes[1].get(), m_codes[2].get()};
    const RowClipboard::Result pasted = RowClipboard::parse(QGuiApplication::clipboard()->text(), lists);
    if (!pasted.problem.isEmpty()) {
        m_ctx.prompter->notice(pasted.problem);
        return;
    }
    const QModelIndex cur = m_grid->currentIndex();
    const int at = cur.isValid() ? cur.row() : m_doc.rowCount();
    m_model->rebuild([&] {
        m_doc.rows().insert(at, pasted.rows.size(), DetailRow());
        std::copy(pasted.rows.begin(), pasted.rows.end(), m_doc.rows().begin() + at);
        m_doc.renumber(at);
    });
    for (int c : {int(ColInComeM), int(ColTaxM), int(ColReduTax), int(ColTaxM1)})
        updateTotal(c);
    m_grid->setCurrentIndex(m_model->index(at, ColIDCard));
    setModified(true);
}

void DeclarationEditor::showProblem(const ValidationProblem& p)
{
    m_ctx.prompter->notice(p.message);
    if (p.target == ValidationProblem::Target::Box) {
        box(p.box)->setFocus();
    } else if (p.target == ValidationProblem::Target::Cell) {
        m_grid->focusCell(p.row, p.column, p.scrollColumnIntoView);
    }
}

bool DeclarationEditor::DoSave()
{
    m_grid->commitOpenEditor();
    std::optional<ValidationProblem> problem;
    // The check tidies the rows and so resets the grid: the user's cell and scroll position stay.
    const GridView::Place place = m_grid->place();
    m_model->rebuild([&] { problem = DeclarationValidator::DoCheckDeclaration(m_doc); });
    m_grid->restorePlace(place, ColIDCard);
    if (problem) {
        showProblem(*problem);
        return false;
    }
    if (!m_ctx.prompter->goOnDespite(QStringLiteral("保存"),
                                     DeclarationWarnings::check(m_doc, QDate::currentDate())))
        return false;
    DeclarationStore store(*m_ctx.db);
    try {
        if (m_appId == 0)
            m_appId = store.newAppId();
        store.save(m_doc, m_appId, m_unitId);
    } catch (const DatabaseError& e) {
        m_ctx.prompter->notice(appTitle(), e.description(), Prompter::Icon::None);
        return false;
    }
    setModified(false);
    emit saved(m_appId);
    return true;
}

void DeclarationEditor::ShowWarnings()
{
    m_grid->commitOpenEditor();
    const Warnings warnings = DeclarationWarnings::check(m_doc, QDate::currentDate());
    if (warnings.isEmpty()) {
        m_ctx.prompter->notice(QStringLiteral("没有发现问题。"));
        return;
    }
    WarningList::showFor(this, warnings, [this](const Warning& w) {
        if (w.row < 0)
            box(HeaderField(w.column))->setFocus();
        else if (w.row < m_doc.rowCount())
            m_grid->focusCell(w.row, w.column);
        activateWindow();
    });
}

void DeclarationEditor::onToolbar(QAction* action)
{
    if (m_importing)
        return;
    const QString key = action->data().toString();
    if (key == u"导入")
        ImportSalary();
    else if (key == u"增行")
        AddRow();
    else if (key == u"插行")
        InsertRow();
    else if (key == u"删行")
        DeleteRow();
    else if (key == u"复制")
        CopyRows();
    else if (key == u"粘帖")
        PasteRows();
    else if (key == u"检查")
        ShowWarnings();
    else if (key == u"保存")
        DoSave();
    else if (key == u"撤消") {
        LoadDeclaration();
        setModified(true);
    } else if (key == u"Exit")
        closeHostedWindow(this); // as the frame's close box: the question, the widths, the frame gone
}

void DeclarationEditor::storeColumnWidths()
{
    if (!m_ctx.settings)
        return;
    QStringList widths;
    for (int w : m_grid->columnWidthsTwips())
        widths << QString::number(w);
    if (!m_ctx.settings->setColumnWidths(widths.join(u',')))
        m_ctx.prompter->notice(m_ctx.settings->notSavedText(QStringLiteral("列宽")),
                               Prompter::Icon::Exclamation);
}

void DeclarationEditor::closeEvent(QCloseEvent* event)
{
    if (m_importing) {
        event->ignore();
        return;
    }
    m_grid->commitOpenEditor();
    if (m_doc.rowCount() > 0 && isModified()) {
        if (m_ctx.prompter->askYesNo(Prompter::noticeTitle(), QStringLiteral("申报表已修改，是否保存？")) &&
            !DoSave()) {
            event->ignore();
            return;
        }
    }
    if (m_host)
        m_host->setToolbarBandVisible(true);
    storeColumnWidths();
    m_closed = true;
    event->accept();
}

bool DeclarationEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in a header box moves on like Tab.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            qobject_cast<QLineEdit*>(watched)) {
            focusNextChild();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zq::ui
