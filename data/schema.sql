-- The tables every database holds. Declared types keep the names the program's statements
-- use; Counter columns are SQLite's autoincrementing keys.
CREATE TABLE noteKind (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  kindCode Text (10) NOT NULL UNIQUE,
  kindName Text (50) NOT NULL,
  parentId Long,
  layer Long,
  hasDetail yesno NOT NULL DEFAULT 0,
  created_by Text (20),
  template LONGBINARY,
  modqty Long
);
CREATE TABLE "常用数据" (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  "单位名称" Text (50),
  "地址" Text (100),
  "电话" Text (30),
  "联系人" Text (20)
);
