-- An old program's database whose values cannot all be taken over (see make.sh): the employees have no key, so
-- one is there twice and one has no number; a month and an amount stand in text columns and one of each is no
-- month or no number. The other values would be taken over.
CREATE TABLE UnitInfo (
    UnitID INTEGER PRIMARY KEY, UnitName VARCHAR(50), ComputerCode VARCHAR(10), Phone VARCHAR(30),
    DeclarePerson VARCHAR(20), SoftVer VARCHAR(50), CopyId VARCHAR(10), copyyear VARCHAR(4),
    SaCode1 VARCHAR(20), SaCode2 VARCHAR(20), SaCode3 VARCHAR(20), SaCode4 VARCHAR(20), SaCode5 VARCHAR(20),
    SaCode6 VARCHAR(20));
INSERT INTO UnitInfo VALUES (1, '测试单位', '110123', '010-1', '张三', '', '', '', '', '', '', '', '', '');
CREATE TABLE Employee (
    UnitID INTEGER, EmpID VARCHAR(8), EmpName VARCHAR(50), IDCard VARCHAR(50), NationCode VARCHAR(3),
    ProfCode VARCHAR(4));
INSERT INTO Employee VALUES (1, '0001', '甲', '110101198001011234', '156', '0200');
INSERT INTO Employee VALUES (1, '0001', '乙', '110101198001015678', '156', '0200');
INSERT INTO Employee VALUES (1, NULL, '丙', '110101198001019999', '156', '0200');
CREATE TABLE ApplT (
    AppID INTEGER PRIMARY KEY, UnitID INTEGER, ComputerCode VARCHAR(10), Phone VARCHAR(30), Month VARCHAR(10),
    ApplyDate DATETIME, DeclarePerson VARCHAR(20), UnitMen INTEGER, UnitTaxMen INTEGER, OthMen INTEGER,
    OthTaxMen INTEGER, InComeM CURRENCY TEXT, TaxMs CURRENCY TEXT, TaxM CURRENCY TEXT, ReduTaxM CURRENCY TEXT,
    OutTaxM CURRENCY TEXT, FactTax CURRENCY TEXT, OweTax CURRENCY TEXT, BookNo VARCHAR(20),
    UploadResult VARCHAR(255));
INSERT INTO ApplT VALUES (1, 1, '110123', '010-1', '2005-11', '2005-12-01', '张三', 1, 1, 0, 0, '100.0000',
    '100.0000', '100.0000', '0.0000', '5.0000', '5.0000', '0.0000', 'A123456', NULL);
INSERT INTO ApplT VALUES (2, 1, '110123', '010-1', '2005-13', '2006-01-01', '张三', 1, 1, 0, 0, '100.0000',
    '100.0000', '100.0000', '0.0000', '5.0000', '5.0000', '0.0000', 'A123457', NULL);
CREATE TABLE ApplTInfo (
    AppID INTEGER, ID INTEGER, RowId INTEGER, IDCard VARCHAR(50), EmpName VARCHAR(50), NationCode VARCHAR(3),
    ProfCode VARCHAR(4), ProgCode VARCHAR(2), InComeM VARCHAR(20), TaxM CURRENCY TEXT, TaxRadio DOUBLE,
    ReduTax CURRENCY TEXT, NationTax CURRENCY TEXT, TaxM1 CURRENCY TEXT);
INSERT INTO ApplTInfo VALUES (1, 1, 1, '110101198001011234', '甲', '156', '0200', '01', '12,34a', '100.0000', 5,
    '0.0000', '0.0000', '5.0000');
INSERT INTO ApplTInfo VALUES (2, 1, 1, '110101198001011234', '甲', '156', '0200', '01', ' 1,234.5 ', '100.0000',
    5, '0.0000', '0.0000', '5.0000');
CREATE TABLE BmNation (NationCode VARCHAR(3) PRIMARY KEY, NationName VARCHAR(50));
CREATE TABLE BmProfes (ProfCode VARCHAR(4) PRIMARY KEY, ProfName VARCHAR(50));
CREATE TABLE BmItem (ProgCode VARCHAR(2) PRIMARY KEY, ProgName VARCHAR(50));
CREATE TABLE lumfver (lumfver VARCHAR(50), lumfkey VARCHAR(255));
CREATE TABLE Sundries (Name VARCHAR(50), Value VARCHAR(50));
INSERT INTO Sundries VALUES ('Password', NULL);
