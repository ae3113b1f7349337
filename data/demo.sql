-- The demo a fresh program folder starts with: one category, a master-detail waybill and a
-- plain receipt, each with a few records.
INSERT INTO noteKind (kindCode, kindName, parentId, layer, hasDetail) VALUES ('A', '物流单据', NULL, 1, 0);
INSERT INTO noteKind (kindCode, kindName, parentId, layer, hasDetail)
  VALUES ('A01', '快递运单', (SELECT ID FROM noteKind WHERE kindCode = 'A'), 2, 1);
INSERT INTO noteKind (kindCode, kindName, parentId, layer, hasDetail)
  VALUES ('A02', '收款收据', (SELECT ID FROM noteKind WHERE kindCode = 'A'), 2, 0);

CREATE TABLE "快递运单" (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  "单号" Text (20),
  "收货单位" Text (50),
  "地址" Text (100),
  "金额" Currency,
  "打印标记" yesno NOT NULL DEFAULT 0,
  "填写日期" Time
);
CREATE TABLE "快递运单sub" (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  "MID" int,
  "品名" Text (30),
  "数量" Long,
  "单价" Currency
);
CREATE TABLE "收款收据" (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  "交款单位" Text (50),
  "收款事由" Text (100) DEFAULT '货款',
  "金额" Currency,
  "收款人" Text (20) DEFAULT '张会计',
  "打印标记" yesno NOT NULL DEFAULT 0,
  "填写日期" Time
);

INSERT INTO "快递运单" ("单号", "收货单位", "地址", "金额", "打印标记", "填写日期") VALUES
  ('YD20260001', '北京华联商贸有限公司', '北京市朝阳区建国路88号', 1234.5, 0, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime', '-2 days')),
  ('YD20260002', '上海东方物资公司', '上海市浦东新区世纪大道100号', 860, 0, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime', '-1 days')),
  ('YD20260003', '广州南方电器厂', '广州市天河区体育西路6号', 45.8, 1, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime', '-10 days')),
  ('YD20260004', '成都蜀韵茶业', '成都市锦江区春熙路3号', 320.25, 0, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime'));
INSERT INTO "快递运单sub" ("MID", "品名", "数量", "单价") VALUES
  (1, '办公椅', 2, 350), (1, '文件柜', 1, 534.5),
  (2, '打印纸', 20, 43),
  (3, '插线板', 2, 22.9),
  (4, '茶叶礼盒', 5, 64.05);
INSERT INTO "收款收据" ("交款单位", "收款事由", "金额", "收款人", "打印标记", "填写日期") VALUES
  ('杭州西湖文具店', '货款', 5200, '张会计', 0, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime', '-3 days')),
  ('南京金陵书局', '预付款', 1800.6, '张会计', 0, strftime('%Y-%m-%d 00:00:00', 'now', 'localtime'));

INSERT INTO "常用数据" ("单位名称", "地址", "电话", "联系人") VALUES
  ('北京华联商贸有限公司', '北京市朝阳区建国路88号', '010-65001234', '王经理'),
  ('上海东方物资公司', '上海市浦东新区世纪大道100号', '021-58805678', '李主任'),
  ('广州南方电器厂', '广州市天河区体育西路6号', '020-38881111', '陈先生');
