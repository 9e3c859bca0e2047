-- The payroll package's system database: its account sets and their data file per year.
create table copys (copy_id VARCHAR(10) primary key, copy_name VARCHAR(60));
insert into copys values ('001','北京示范有限公司');
insert into copys values ('002','上海示范贸易公司');
create table copyinfo (copy_id VARCHAR(10), copy_year VARCHAR(4), datafile VARCHAR(40),
                       primary key (copy_id, copy_year));
insert into copyinfo values ('001','2005','2005.mdb');
insert into copyinfo values ('002','2005','0022005.accdb');
