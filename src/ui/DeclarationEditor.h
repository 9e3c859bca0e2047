#pragma once

#include "GridView.h"
#include "core/AppContext.h"
#include "declarations/DeclarationDocument.h"
#include "declarations/DeclarationValidator.h"

#include <QHash>
#include <QSet>
#include <QWidget>
#include <array>
#include <memory>

class QAction;
class QLabel;
class QLineEdit;
class QToolBar;

namespace zq::ui {

class DeclarationTableModel;
class WindowHost;

// The declaration editor ("编辑报表"): seventeen header boxes over the detail grid. It belongs to the unit it
// was opened for and always stores under that unit and its own AppID.
class DeclarationEditor : public QWidget {
    Q_OBJECT
public:
    DeclarationEditor(const AppContext& ctx, WindowHost* host, qint64 unitId, QWidget* parent = nullptr);
    ~DeclarationEditor() override;

    // Opens the editor on a new declaration (isNew, appId 0) or a stored one; hides the main toolbar band.
    void StartWin(bool isNew, qint64 appId);
    void LoadDeclaration();
    bool DoSave();
    void AddRow();
    void InsertRow();
    void DeleteRow();
    void RecalcTotals();
    // The salary import behind "导入".
    void ImportSalary();
    // "复制": the selected rows to the clipboard as tab-separated text; "粘帖": rows from the clipboard
    // inserted at the current row, refused whole when a cell does not fit.
    void CopyRows();
    void PasteRows();
    // "检查": lists what may be wrong (never stops a save); a double-click on a warning goes to its cell.
    void ShowWarnings();

    // The editor open on this stored declaration of the database anywhere in the program, or nullptr: a
    // declaration has one editor at most, whichever list window opened it.
    static DeclarationEditor* openOn(const Database* db, qint64 appId);

    bool isNew() const { return m_isNew; }
    qint64 appId() const { return m_appId; }
    qint64 unitId() const { return m_unitId; }
    bool isModified() const;
    void setModified(bool on);

    DeclarationDocument& document() { return m_doc; }
    GridView* grid() const { return m_grid; }
    DeclarationTableModel* model() const { return m_model; }
    QLineEdit* box(HeaderField f) const { return m_boxes[size_t(f)]; }
    // The toolbar button with this key ("保存", "增行", "Exit", ...).
    QAction* action(const QString& key) const { return m_actions.value(key); }
    // Sets a header box as the program does (turns the modified flag on).
    void setBoxText(HeaderField f, const QString& text);

signals:
    // The declaration was stored under this key; the declaration list refreshes its row.
    void saved(qint64 appId);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildHeader(QWidget* area);
    void InitGrid();
    void fitToColumns();
    void onToolbar(QAction* action);
    void onCellEdited(int row, int column);
    void updateTotal(int column);
    void showProblem(const ValidationProblem& p);
    void storeColumnWidths();
    void pushHeaderToBoxes();

    AppContext m_ctx;
    WindowHost* m_host;
    qint64 m_unitId;
    bool m_isNew = true;
    qint64 m_appId = 0;
    DeclarationDocument m_doc;
    std::array<QLineEdit*, HeaderFieldCount> m_boxes{};
    std::array<QLabel*, HeaderFieldCount> m_labels{};
    QToolBar* m_toolbar = nullptr;
    QHash<QString, QAction*> m_actions;
    GridView* m_grid = nullptr;
    DeclarationTableModel* m_model = nullptr;
    std::shared_ptr<const CodeList> m_codes[3];
    QSet<int> m_storedWidths; // the columns whose width the user has set before
    bool m_loading = false;
    bool m_importing = false;
    bool m_closed = false;
};

} // namespace zq::ui
