#include "TestSupport.h"

#include "core/TaxDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QProcess>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <stdexcept>

namespace zq::test {

TempTaxDatabase::TempTaxDatabase() : m_path(QDir(m_dir.path()).filePath(TaxDatabase::fileName()))
{
    TaxDatabase::create(m_path);
    reopen();
}

void TempTaxDatabase::reopen()
{
    m_db.reset();
    m_db = TaxDatabase::open(m_path);
}

void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void userEdit(QLineEdit* box, const QString& steps)
{
    for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
        const QString arg = step.section(u':', 1);
        if (step.startsWith(u"key:")) {
            typeText(box, arg);
        } else if (step == u"backspace") {
            QTest::keyClick(box, Qt::Key_Backspace);
        } else if (step == u"delete") {
            QTest::keyClick(box, Qt::Key_Delete);
        } else if (step == u"end") {
            QTest::keyClick(box, Qt::Key_End);
        } else if (step == u"down") {
            QTest::keyClick(box, Qt::Key_Down);
        } else if (step == u"cut") {
            QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        } else if (step.startsWith(u"paste:")) {
            QApplication::clipboard()->setText(arg);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else if (step.startsWith(u"im:")) {
            QInputMethodEvent commit;
            commit.setCommitString(arg);
            QApplication::sendEvent(box, &commit);
        } else if (step.startsWith(u"middle:")) {
            QApplication::clipboard()->setText(arg, QClipboard::Selection);
            QTest::mouseClick(box, Qt::MiddleButton, {}, QPoint(box->width() - 4, box->height() / 2));
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

CommandRun runCommandLine(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    p.setProcessEnvironment(env);
    // The test programs are built into the folder of the program itself.
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zqsaltax-cli"), args);
    if (!p.waitForFinished(120000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

void execOrFail(Database& db, const QString& sql, const QVariantList& binds)
{
    try {
        db.exec(sql, binds);
    } catch (const DatabaseError& e) {
        throw std::runtime_error(QStringLiteral("%1 failed: %2").arg(sql, e.description()).toStdString());
    }
}

} // namespace zq::test

namespace zq::test {

QStringList cutOffTexts(const QTableView* grid)
{
    QStringList cut;
    const QAbstractItemModel* model = grid->model();
    const QHeaderView* header = grid->horizontalHeader();
    // A cell's text stands inside a margin on either side; a title inside the header's margins.
    const int cellMargin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    const int titleMargin = 2 * grid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c))
            continue;
        const int width = grid->columnWidth(c);
        const QString title = model->headerData(c, Qt::Horizontal).toString();
        if (header->fontMetrics().horizontalAdvance(title) + titleMargin > width)
            cut << QStringLiteral("title %1: %2").arg(c).arg(title);
        for (int r = 0; r < qMin(model->rowCount(), 200); ++r) {
            const QString text = model->index(r, c).data().toString();
            if (grid->fontMetrics().horizontalAdvance(text) + cellMargin > width)
                cut << QStringLiteral("column %1: %2").arg(c).arg(text);
        }
    }
    return cut;
}

} // namespace zq::test
