-- An old program's database in SQLite form. `sqlite3 old-good.sqlite < old-good.sql` then
-- `sqlite2mdb old-good.sqlite old-good.mdb 2000` makes the Access fixture beside it; the declared types give
-- the Access types (CURRENCY TEXT: Currency with every digit kept; DATETIME: Date/Time; INTEGER: Long;
-- DOUBLE: Double; VARCHAR(n): Text(n)).
-- Unit 3 was deleted in the old program: its employee and its declaration 4 stay. Declaration 3 was deleted.
-- Declaration 5 repeats a person and income item, which the editor's check refuses; declaration 2 has a comma
-- in a name, which the upload file cannot carry.
CREATE TABLE UnitInfo (
    UnitID INTEGER PRIMARY KEY, UnitName VARCHAR(50), ComputerCode VARCHAR(10), Phone VARCHAR(30),
    DeclarePerson VARCHAR(20), SoftVer VARCHAR(50), CopyId VARCHAR(10), copyyear VARCHAR(4),
    SaCode1 VARCHAR(20), SaCode2 VARCHAR(20), SaCode3 VARCHAR(20), SaCode4 VARCHAR(20), SaCode5 VARCHAR(20),
    SaCode6 VARCHAR(20));
INSERT INTO UnitInfo VALUES (1, '北京测试科技有限公司', '1101234567', '010-12345678', '张三', 'Olvenka 2.X', '001',
    '2005', 'F001', 'F002', NULL, NULL, 'F005', 'F010');
INSERT INTO UnitInfo VALUES (2, 'O''Brien, 上海分公司', '310098', '021-8765 4321', '李四', '', '', '', '', '', '',
    '', '', '');

CREATE TABLE Employee (
    UnitID INTEGER, EmpID VARCHAR(8), EmpName VARCHAR(50), IDCard VARCHAR(50), NationCode VARCHAR(3),
    ProfCode VARCHAR(4));
INSERT INTO Employee VALUES (1, '0001', '王小明', '110101198001011234', '156', '0200');
INSERT INTO Employee VALUES (1, '0002', '赵"钱",孙', '110101198202022345', '156', '9901');
INSERT INTO Employee VALUES (1, '0003', ' 张 三 ', '11010119830303345X', '999', '0300');
INSERT INTO Employee VALUES (2, '0001', 'O''Neil, Mary', 'P1234567', '840', '0200');
INSERT INTO Employee VALUES (3, '0001', '孤儿员工', '440101197001011111', '156', NULL);

CREATE TABLE ApplT (
    AppID INTEGER PRIMARY KEY, UnitID INTEGER, ComputerCode VARCHAR(10), Phone VARCHAR(30), Month DATETIME,
    ApplyDate DATETIME, DeclarePerson VARCHAR(20), UnitMen INTEGER, UnitTaxMen INTEGER, OthMen INTEGER,
    OthTaxMen INTEGER, InComeM CURRENCY TEXT, TaxMs CURRENCY TEXT, TaxM CURRENCY TEXT, ReduTaxM CURRENCY TEXT,
    OutTaxM CURRENCY TEXT, FactTax CURRENCY TEXT, OweTax CURRENCY TEXT, BookNo VARCHAR(20),
    UploadResult VARCHAR(255));
INSERT INTO ApplT VALUES (1, 1, '1101234567', '010-12345678', '2005-11-01', '2005-12-05', '张三', 3, 2, 0, 0,
    '20000.5050', '18000.0049', '12345.6789', '0.0050', '1234.5650', '1234.5650', '-3.0050', ' A123456 ',
    'C:\ZqSalTax\A123456.CSV');
INSERT INTO ApplT VALUES (2, 2, '310098', '021-8765 4321', '2005-12-01', '2006-01-10 09:30:00', '李四', 1, 1, 1, 0,
    '9999.9999', '9999.9999', '4999.9999', '0.0000', '499.9950', '499.9950', '0.0000', 'B20051201',
    NULL);
INSERT INTO ApplT VALUES (4, 3, '440101', '020-1', '2004-02-01', '2004-03-01', '王五', 1, 0, 0, 0, '800.0000',
    '0.0000', '0.0000', '0.0000', '0.0000', '0.0000', '0.0000', '', NULL);
INSERT INTO ApplT VALUES (5, 2, '310098', '021-8765 4321', '2006-01-01', '2006-02-10', '李四', 1, 1, 0, 0,
    '200.0000', '200.0000', '200.0000', '0.0000', '10.0000', '10.0000', '0.0000', 'B20060101', NULL);

CREATE TABLE ApplTInfo (
    AppID INTEGER, ID INTEGER, RowId INTEGER, IDCard VARCHAR(50), EmpName VARCHAR(50), NationCode VARCHAR(3),
    ProfCode VARCHAR(4), ProgCode VARCHAR(2), InComeM CURRENCY TEXT, TaxM CURRENCY TEXT, TaxRadio DOUBLE,
    ReduTax CURRENCY TEXT, NationTax CURRENCY TEXT, TaxM1 CURRENCY TEXT);
INSERT INTO ApplTInfo VALUES (1, 1, 1, '110101198001011234', '王小明', '156', '0200', '01', '10000.0000',
    '8400.0000', 20, '0.0000', '0.0000', '1055.0000');
INSERT INTO ApplTInfo VALUES (1, 2, 2, '110101198202022345', '赵"钱"孙', '156', '9901', '01', '8000.5050',
    '3945.6789', 15, '0.0050', '0.0000', '179.5650');
INSERT INTO ApplTInfo VALUES (1, 3, 3, '11010119830303345X', ' 张 三 ', '999', '0300', '04', '2000.0000',
    '1600.0000', 20.125, '0.0000', '0.0000', '320.0000');
INSERT INTO ApplTInfo VALUES (2, 1, 1, 'P1234567', 'O''Neil, Mary', '840', '0200', '01', '9999.9999',
    '4999.9999', 10, '0.0000', '-0.0050', '499.9950');
INSERT INTO ApplTInfo VALUES (4, 1, 1, '440101197001011111', '孤儿员工', '156', '0200', '01', '800.0000',
    '0.0000', 0, '0.0000', '0.0000', '0.0000');

INSERT INTO ApplTInfo VALUES (5, 1, 1, 'P1234567', 'O''Neil Mary', '840', '0200', '01', '100.0000',
    '100.0000', 5, '0.0000', '0.0000', '5.0000');
INSERT INTO ApplTInfo VALUES (5, 2, 2, 'P1234567', 'O''Neil Mary', '840', '0200', '01', '100.0000',
    '100.0000', 5, '0.0000', '0.0000', '5.0000');

CREATE TABLE BmNation (NationCode VARCHAR(3) PRIMARY KEY, NationName VARCHAR(50));
INSERT INTO BmNation VALUES ('156', '中华人民共和国');
INSERT INTO BmNation VALUES ('840', '美国');
INSERT INTO BmNation VALUES ('999', '测试国');
CREATE TABLE BmProfes (ProfCode VARCHAR(4) PRIMARY KEY, ProfName VARCHAR(50));
INSERT INTO BmProfes VALUES ('0200', '专业技术人员');
INSERT INTO BmProfes VALUES ('0300', '办事人员');
INSERT INTO BmProfes VALUES ('9901', '自定义职业');
CREATE TABLE BmItem (ProgCode VARCHAR(2) PRIMARY KEY, ProgName VARCHAR(50));
INSERT INTO BmItem VALUES ('01', '工资、薪金所得');
INSERT INTO BmItem VALUES ('04', '劳务报酬所得');
CREATE TABLE lumfver (lumfver VARCHAR(50), lumfkey VARCHAR(255));
INSERT INTO lumfver VALUES ('Olvenka 2.X', 'SOFTWARE\Old\Key');
INSERT INTO lumfver VALUES ('Olvenka 1.X', 'SOFTWARE\Olvenka\Lumina 1.0');
CREATE TABLE Sundries (Name VARCHAR(50), Value VARCHAR(50));
INSERT INTO Sundries VALUES ('Password', 'Ab''c,1');
