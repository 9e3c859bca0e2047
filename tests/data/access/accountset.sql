-- An account set of the payroll package, year 2005: what the finance link reads, with every kind of value
-- the reader maps (Chinese text, Currency with four decimals, dates, NULLs, empty text, Memo, Yes/No, Byte,
-- Integer, Single, Double).
create table salary (copy_month VARCHAR(2), emp_id VARCHAR(10), YFGZ CURRENCY TEXT, YNSSD CURRENCY TEXT,
                     JMS CURRENCY TEXT, DMJWS CURRENCY TEXT, Tax CURRENCY TEXT, SFZH VARCHAR(18),
                     primary key (copy_month, emp_id));
insert into salary values ('01','0001','12345.6789','10845.6789','0.0000','0.0000','1414.1358','110101196001011234');
insert into salary values ('01','0002','5000.0000','1500.0000','0.0100','0.0000','45.0000','31010419700202234X');
insert into salary values ('01','0003','3000.5000','0.0000','0.0000','0.0000','0.0000','440305198003033456');
insert into salary values ('01','0004','-0.0100','0.0000',NULL,'0.0000','0.0000',NULL);
insert into salary values ('02','0001','12345.6789','10845.6789','0.0000','0.0000','1414.1358','110101196001011234');
insert into salary values ('02','0002','922337203685.4775','5000.0000','0.0000','0.0000','0.5000','31010419700202234X');
create table salary_items (sa_code VARCHAR(20) primary key, sa_item VARCHAR(40), item_index SMALLINT,
                           sa_table VARCHAR(20));
insert into salary_items values ('YFGZ','应发工资',1,'salary');
insert into salary_items values ('YNSSD','应纳税所得额',2,'salary');
insert into salary_items values ('JMS','减免税额',3,'salary');
insert into salary_items values ('DMJWS','境外已纳税额',4,'salary');
insert into salary_items values ('Tax','代扣税额',5,'salary');
insert into salary_items values ('SFZH','身份证号',6,'salary');
insert into salary_items values ('BZ','备注',0,'salary');
create table taxsetup (levelmin CURRENCY TEXT, Rate DOUBLE, quickdeduct CURRENCY TEXT);
insert into taxsetup values ('0.0000',3,'0.0000');
insert into taxsetup values ('1500.0000',10,'105.0000');
insert into taxsetup values ('4500.0000',20,'555.0000');
insert into taxsetup values ('9000.0000',25,'1005.0000');
create table employee (emp_id VARCHAR(10) primary key, emp_name VARCHAR(20), Audi_Code VARCHAR(18),
                       dd_flag SMALLINT, grade TINYINT, active BIT, hired DATE, weight SINGLE, notes MEMO);
insert into employee values ('0001','王伟','110101196001011234',0,3,1,'2001-03-15 08:30:00',1.5,'长期合同；工资按月发放。');
insert into employee values ('0002','李秀英','31010419700202234X',0,2,0,'1999-12-31 23:59:59',0.25,'');
insert into employee values ('0003','张　磊','440305198003033456',0,1,1,NULL,NULL,NULL);
insert into employee values ('0004','O''Brien',NULL,1,0,0,'2005-06-01',NULL,'离职');
