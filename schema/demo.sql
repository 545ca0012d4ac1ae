-- A few rows so that a first start shows a working business database.
INSERT INTO T_SysID (ID1) VALUES (6);
INSERT INTO T_Product (ID1, State, GoodsNO, GoodsName, Spec, Unit, Price) VALUES
  (1, 1, 'P1001', '矿泉水', '550ml×24', '箱', 28.5),
  (2, 1, 'P1002', '绿茶', '500ml×15', '箱', 45),
  (3, 1, 'P1003', '方便面', '五连包', '袋', 12.8);
INSERT INTO T_Customers (ID1, State, CustomerID, CustomerName, Contact, Phone, Address) VALUES
  (4, 1, 'C001', '城东便利店', '王丽', '13800000001', '东湖路12号'),
  (5, 1, 'C002', '阳光超市', '李强', '13800000002', '人民大道88号'),
  (6, 1, 'C003', '新华小卖部', '张敏', '13800000003', '新华街3号');
INSERT INTO T_DeliveryOrder (ID1, OrderNO, OrderDate, CustomerID, CustomerName, CurrentMoney, AmountMoney, BalanceMoney, State) VALUES
  (1, 'D20260001', '2026-12-01 09:30:00', 'C001', '', 0, 0, 0, '未收款'),
  (2, 'D20260002', '2026-12-02 14:00:00', 'C002', '', 50, 0, 0, '已收款');
INSERT INTO T_Deliveryorder_Item (ID1, State, GoodsNO, GoodsName, Quantity, Price, SumMoney) VALUES
  (1, 1, 'P1001', '矿泉水', 2, 28.5, 57),
  (1, 1, 'P1003', '方便面', 5, 12.8, 64),
  (2, 1, 'P1002', '绿茶', 3, 45, 135);
