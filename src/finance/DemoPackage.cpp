#include "DemoPackage.h"

#include "platform/WindowsPaths.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringEncoder>

namespace zq::finance {
namespace {

constexpr int MonthlyAllowance = 350000; // cents: the 3500 yuan of the 2011 rules

struct Bracket {
    int levelMin; // yuan
    int rate;     // percent
    int quickDeductionCents;
};

// The 2011 seven-level monthly table.
constexpr Bracket kBrackets[] = {
    {0, 3, 0},           {1500, 10, 10500},   {4500, 20, 55500},    {9000, 25, 100500},
    {35000, 30, 275500}, {55000, 35, 550500}, {80000, 45, 1350500},
};

const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周",
                                 "徐", "孙", "马", "朱", "胡", "郭", "何", "高", "林", "罗"};
const char* const kGivenNames[] = {"伟",   "芳",   "娜",   "秀英", "敏",   "静",  "丽",   "强",
                                   "磊",   "军",   "洋",   "勇",   "艳",   "杰",  "娟",   "涛",
                                   "明",   "超",   "秀兰", "霞",   "平",   "刚",  "桂英", "建华",
                                   "晓东", "海燕", "志强", "丽华", "文博", "子涵"};
const char* const kRegions[] = {"110101", "310104", "440305", "320102",
                                "330106", "510107", "420106", "610113"};

// A small deterministic generator, so every demo installation holds the same people and amounts.
class Sequence {
public:
    explicit Sequence(quint32 seed) : m_state(seed) {}
    int next(int bound)
    {
        m_state = m_state * 1664525u + 1013904223u;
        return int((m_state >> 8) % quint32(bound));
    }

private:
    quint32 m_state;
};

struct Person {
    QString empId;
    QString name;
    QString identity;
    int ddFlag = 0;
    qint64 baseCents = 0;
};

QList<Person> people(quint32 seed, int count)
{
    Sequence s(seed);
    QList<Person> out;
    for (int i = 0; i < count; ++i) {
        Person p;
        p.empId = QStringLiteral("%1").arg(i + 1, 4, 10, QLatin1Char('0'));
        p.name = QString::fromUtf8(kSurnames[s.next(20)]) + QString::fromUtf8(kGivenNames[s.next(30)]);
        const QDate birth = QDate(1960, 1, 1).addDays(s.next(365 * 35));
        const QString front =
            QString::fromLatin1(kRegions[s.next(8)]) + birth.toString(QStringLiteral("yyyyMMdd"));
        int order = 1 + s.next(990);
        QString first17 = front + QStringLiteral("%1").arg(order, 3, 10, QLatin1Char('0'));
        // Every fifth person gets a number ending in X, as about one in eleven real ones do.
        while (i % 5 == 3 && DemoPackage::identityCheckCharacter(first17) != u'X') {
            order = order % 999 + 1;
            first17 = front + QStringLiteral("%1").arg(order, 3, 10, QLatin1Char('0'));
        }
        p.identity = first17 + DemoPackage::identityCheckCharacter(first17);
        p.ddFlag = (i % 13 == 12) ? 1 : 0; // a few have left
        // Monthly base pay: some below the allowance (no tax), most in the lower brackets, two well above.
        if (i % 6 == 1)
            p.baseCents = (2000 + s.next(14) * 100) * 100LL;
        else if (i == 7 || i == 21)
            p.baseCents = (28000 + s.next(30) * 1000) * 100LL;
        else
            p.baseCents = (4000 + s.next(90) * 100) * 100LL;
        out << p;
    }
    return out;
}

qint64 taxCents(qint64 taxableCents)
{
    if (taxableCents <= 0)
        return 0;
    const Bracket* b = &kBrackets[0];
    for (const Bracket& k : kBrackets)
        if (taxableCents > qint64(k.levelMin) * 100)
            b = &k;
    // taxable * rate% - quick deduction, rounded half up to the cent
    const qint64 hundredths = taxableCents * b->rate; // cents * 100
    return (hundredths + 50) / 100 - b->quickDeductionCents;
}

double yuan(qint64 cents)
{
    return double(cents) / 100.0;
}

class SqliteWriter {
public:
    explicit SqliteWriter(const QString& path)
    {
        m_name = Database::uniqueConnectionName(QStringLiteral("zq-demo-"));
        m_db = Database::adopt(m_name);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (!db.open())
            throw DatabaseError::fromSqlError(db.lastError(), QDir::toNativeSeparators(path));
    }
    Database& db() { return *m_db; }

private:
    QString m_name;
    std::unique_ptr<Database> m_db;
};

void writeSystemDatabase(const QString& path)
{
    SqliteWriter w(path);
    Database& db = w.db();
    Transaction tx(db);
    db.exec(QStringLiteral("create table copys (copy_id TEXT PRIMARY KEY, copy_name TEXT)"));
    db.exec(QStringLiteral("create table copyinfo (copy_id TEXT, copy_year TEXT, datafile TEXT, "
                           "PRIMARY KEY (copy_id, copy_year))"));
    for (const auto& a : DemoPackage::accountSets()) {
        db.exec(QStringLiteral("insert into copys(copy_id,copy_name) values(?,?)"), {a.copyId, a.copyName});
        db.exec(QStringLiteral("insert into copyinfo(copy_id,copy_year,datafile) values(?,?,?)"),
                {a.copyId, QString::number(DemoPackage::Year), a.dataFile});
    }
    tx.commit();
}

struct Item {
    const char* code;
    const char* name;
    int index;
    const char* table;
};

constexpr Item kItems[] = {
    {"XH", "序号", 0, "salary"},
    {"BM", "部门", 3, "employee"},
    {"JBGZ", "基本工资", 1, "salary"},
    {"JJ", "奖金", 2, "salary"},
    {"YFGZ", "应发工资", 3, "salary"},
    {"BX", "个人社保", 4, "salary"},
    {"YNSSD", "应纳税所得额", 5, "salary"},
    {"JMS", "减免税额", 6, "salary"},
    {"DMJWS", "抵免境外税额", 7, "salary"},
    {"Tax", "代扣个人所得税", 8, "salary"},
    {"SFGZ", "实发工资", 9, "salary"},
    {"SFZH", "身份证号", 10, "salary"},
};

void writeAccountSet(const QString& path, quint32 seed)
{
    SqliteWriter w(path);
    Database& db = w.db();
    Transaction tx(db);
    db.exec(QStringLiteral("create table salary_items (sa_code TEXT, sa_item TEXT, item_index INTEGER, "
                           "sa_table TEXT)"));
    for (const Item& it : kItems)
        db.exec(
            QStringLiteral("insert into salary_items(sa_code,sa_item,item_index,sa_table) values(?,?,?,?)"),
            {QString::fromUtf8(it.code), QString::fromUtf8(it.name), it.index, QString::fromUtf8(it.table)});

    db.exec(QStringLiteral("create table taxsetup (levelmin INTEGER, Rate INTEGER, quickdeduct REAL)"));
    for (const Bracket& b : kBrackets)
        db.exec(QStringLiteral("insert into taxsetup(levelmin,Rate,quickdeduct) values(?,?,?)"),
                {b.levelMin, b.rate, yuan(b.quickDeductionCents)});

    db.exec(QStringLiteral("create table employee (emp_id TEXT PRIMARY KEY, emp_name TEXT, Audi_Code TEXT, "
                           "dd_flag INTEGER, BM TEXT)"));
    db.exec(
        QStringLiteral("create table salary (copy_month TEXT, emp_id TEXT, JBGZ REAL, JJ REAL, YFGZ REAL, "
                       "BX REAL, YNSSD REAL, JMS REAL, DMJWS REAL, Tax REAL, SFGZ REAL, SFZH TEXT, "
                       "PRIMARY KEY (copy_month, emp_id))"));
    const QList<Person> staff = people(seed, DemoPackage::EmployeesPerAccountSet);
    const QString departments[] = {QStringLiteral("财务部"), QStringLiteral("销售部"),
                                   QStringLiteral("技术部")};
    QSqlQuery insert =
        db.prepare(QStringLiteral("insert into salary(copy_month,emp_id,JBGZ,JJ,YFGZ,BX,YNSSD,JMS,"
                                  "DMJWS,Tax,SFGZ,SFZH) values(?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (qsizetype i = 0; i < staff.size(); ++i) {
        const Person& p = staff[i];
        db.exec(
            QStringLiteral("insert into employee(emp_id,emp_name,Audi_Code,dd_flag,BM) values(?,?,?,?,?)"),
            {p.empId, p.name, p.identity, p.ddFlag, departments[i % 3]});
        if (p.ddFlag != 0)
            continue; // those who left have no pay this year
        for (int month = 1; month <= 12; ++month) {
            const qint64 bonus = (month == 12) ? p.baseCents : (month % 3 == 0 ? 50000 : 0);
            const qint64 gross = p.baseCents + bonus;
            const qint64 insurance = (p.baseCents * 105 + 500) / 1000;
            const qint64 taxable = qMax<qint64>(0, gross - insurance - MonthlyAllowance);
            const qint64 tax = taxCents(taxable);
            const QVariantList values = {QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')),
                                         p.empId,
                                         yuan(p.baseCents),
                                         yuan(bonus),
                                         yuan(gross),
                                         yuan(insurance),
                                         yuan(taxable),
                                         0.0,
                                         0.0,
                                         yuan(tax),
                                         yuan(gross - insurance - tax),
                                         p.identity};
            for (qsizetype v = 0; v < values.size(); ++v)
                insert.bindValue(int(v), values[v]);
            Database::run(insert);
        }
    }
    tx.commit();
}

void writeTextFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw DatabaseError(
            -1,
            QStringLiteral("无法写入文件“%1”：%2").arg(QDir::toNativeSeparators(path), file.errorString()));
}

QString regString(const QString& text)
{
    QString s = text;
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'"', QStringLiteral("\\\""));
    return u'"' + s + u'"';
}

QByteArray utf16WithMark(const QString& text)
{
    QStringEncoder enc(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(enc.encode(text));
}

// One of the package's Access files as the program carries them.
void copyAccessFile(const QString& name, const QString& path)
{
    QFile source(QStringLiteral(":/demo/") + name);
    if (!source.open(QIODevice::ReadOnly))
        throw DatabaseError(-1, QStringLiteral("程序中缺少演示文件“%1”。").arg(name));
    writeTextFile(path, source.readAll());
}

void makePath(const QString& folder)
{
    if (!QDir().mkpath(folder))
        throw DatabaseError(-1, QStringLiteral("无法建立文件夹“%1”。").arg(QDir::toNativeSeparators(folder)));
}

} // namespace

QList<DemoPackage::AccountSetInfo> DemoPackage::accountSets()
{
    return {{QStringLiteral("001"), QStringLiteral("演示科技有限公司"), QStringLiteral("0012012.mdb")},
            {QStringLiteral("002"), QStringLiteral("演示商贸有限公司"), QStringLiteral("0022012.mdb")}};
}

QChar DemoPackage::identityCheckCharacter(QStringView first17)
{
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const char checks[] = "10X98765432";
    int sum = 0;
    for (int i = 0; i < 17 && i < first17.size(); ++i)
        sum += (first17[i].unicode() - u'0') * weights[i];
    return QLatin1Char(checks[sum % 11]);
}

bool DemoPackage::isValidIdentityNumber(QStringView id)
{
    if (id.size() != 18)
        return false;
    for (int i = 0; i < 17; ++i)
        if (!id[i].isDigit() || id[i].unicode() > u'9')
            return false;
    return identityCheckCharacter(id.first(17)) == id[17];
}

QStringList DemoPackage::create(const QString& windowsFolder, Format format)
{
    using platform::ensureTrailingSeparator;
    const QString windows = QDir(windowsFolder).absolutePath();
    const QString registry = windows + QStringLiteral("/registry.reg");
    if (QFile::exists(registry))
        throw DatabaseError(
            -1,
            QStringLiteral("“%1”已经存在，演示账务软件没有安装。").arg(QDir::toNativeSeparators(registry)));
    const QString product = windows + QStringLiteral("/Olvenka/Lumina 3.0");
    const QString data = product + QStringLiteral("/Data");
    const QString system32 = windows + QStringLiteral("/system32");

    QStringList written;
    try {
        makePath(data);
        makePath(system32);
        for (const auto& a : accountSets())
            makePath(data + u'/' + a.copyId);

        const QString systemDb = data + QStringLiteral("/system.mda");
        written << systemDb;
        if (format == Format::Access)
            copyAccessFile(QStringLiteral("system.mda"), systemDb);
        else
            writeSystemDatabase(systemDb);
        quint32 seed = 20120101;
        for (const auto& a : accountSets()) {
            const QString file = data + u'/' + a.copyId + u'/' + a.dataFile;
            written << file;
            if (format == Format::Access)
                copyAccessFile(a.dataFile, file);
            else
                writeAccountSet(file, seed++);
        }

        const QString config = product + QStringLiteral("/config.ini");
        written << config;
        writeTextFile(config, QByteArrayLiteral("[server]\r\nServerName=\r\nuserid=\r\npassword=\r\n"));

        // The older edition keeps the same place in WD.ini of the system folder.
        const QString wd = system32 + QStringLiteral("/WD.ini");
        written << wd;
        writeTextFile(wd, (QStringLiteral("[Options]\r\nDatadir=") + ensureTrailingSeparator(data) +
                           QStringLiteral("\r\nSystemDB=system.mda\r\n"))
                              .toUtf8());

        const QString reg =
            QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\") +
            registryKey() + QStringLiteral("]\r\n\"ProductFolder\"=") +
            regString(ensureTrailingSeparator(product)) + QStringLiteral("\r\n\"DATAfolder\"=") +
            regString(ensureTrailingSeparator(data)) +
            QStringLiteral("\r\n\"Version\"=dword:00000003\r\n\r\n");
        written << registry;
        writeTextFile(registry, utf16WithMark(reg));
    } catch (...) {
        for (const QString& f : written)
            QFile::remove(f);
        throw;
    }
    return written;
}

void DemoPackage::addUnits(Database& taxDb)
{
    const auto sets = accountSets();
    const QStringList codes = {QStringLiteral("3101040001"), QStringLiteral("4403050002")};
    const QStringList phones = {QStringLiteral("021-64000001"), QStringLiteral("0755-26000002")};
    const QStringList declarants = {QStringLiteral("张会计"), QStringLiteral("李会计")};
    Transaction tx(taxDb);
    qint64 id = taxDb.nextKey(QStringLiteral("select max(unitid) as maxUId from unitinfo"));
    for (qsizetype i = 0; i < sets.size(); ++i, ++id)
        taxDb.exec(
            QStringLiteral("insert into unitinfo(unitid,UnitName,ComputerCode,Phone,DeclarePerson,SoftVer,"
                           "CopyId,copyyear,SaCode1,SaCode2,SaCode3,SaCode4,SaCode5,SaCode6) "
                           "values(?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            {id, sets[i].copyName, codes[i], phones[i], declarants[i], edition(), sets[i].copyId,
             QString::number(Year), QStringLiteral("YFGZ"), QStringLiteral("YNSSD"), QStringLiteral("JMS"),
             QStringLiteral("DMJWS"), QStringLiteral("Tax"), QStringLiteral("SFZH")});
    tx.commit();
}

} // namespace zq::finance
