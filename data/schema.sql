-- The own database. Amounts and the rate are INTEGER ten-thousandths (12345.6 is 123456000);
-- dates are TEXT yyyy-mm-dd. Deleting a unit or a declaration header leaves the other rows: no cascades.

CREATE TABLE UnitInfo (
    UnitID        INTEGER PRIMARY KEY,
    UnitName      TEXT,
    ComputerCode  TEXT,
    Phone         TEXT,
    DeclarePerson TEXT,
    SoftVer       TEXT,
    CopyId        TEXT,
    copyyear      TEXT,
    SaCode1       TEXT,
    SaCode2       TEXT,
    SaCode3       TEXT,
    SaCode4       TEXT,
    SaCode5       TEXT,
    SaCode6       TEXT
);

CREATE TABLE Employee (
    UnitID     INTEGER NOT NULL,
    EmpID      TEXT NOT NULL,
    EmpName    TEXT,
    IDCard     TEXT,
    NationCode TEXT,
    ProfCode   TEXT,
    UNIQUE (UnitID, EmpID)
);

CREATE TABLE ApplT (
    AppID         INTEGER PRIMARY KEY,
    UnitID        INTEGER,
    ComputerCode  TEXT,
    Phone         TEXT,
    Month         TEXT,
    ApplyDate     TEXT,
    DeclarePerson TEXT,
    UnitMen       INTEGER,
    UnitTaxMen    INTEGER,
    OthMen        INTEGER,
    OthTaxMen     INTEGER,
    InComeM       INTEGER,
    TaxMs         INTEGER,
    TaxM          INTEGER,
    ReduTaxM      INTEGER,
    OutTaxM       INTEGER,
    FactTax       INTEGER,
    OweTax        INTEGER,
    BookNo        TEXT,
    UploadResult  TEXT
);

CREATE TABLE ApplTInfo (
    AppID      INTEGER,
    ID         INTEGER,
    RowId      INTEGER,
    IDCard     TEXT,
    EmpName    TEXT,
    NationCode TEXT,
    ProfCode   TEXT,
    ProgCode   TEXT,
    InComeM    INTEGER,
    TaxM       INTEGER,
    TaxRadio   INTEGER,
    ReduTax    INTEGER,
    NationTax  INTEGER,
    TaxM1      INTEGER
);
CREATE INDEX ApplTInfo_AppID ON ApplTInfo (AppID, RowId);

CREATE TABLE BmNation (
    NationCode TEXT PRIMARY KEY,
    NationName TEXT
);

CREATE TABLE BmProfes (
    ProfCode TEXT PRIMARY KEY,
    ProfName TEXT
);

CREATE TABLE BmItem (
    ProgCode TEXT PRIMARY KEY,
    ProgName TEXT
);

CREATE TABLE lumfver (
    lumfver TEXT,
    lumfkey TEXT
);

CREATE TABLE Sundries (
    Name  TEXT,
    Value TEXT
);
