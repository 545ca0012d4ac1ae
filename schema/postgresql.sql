-- The business database of a small sales and delivery business (PostgreSQL).
CREATE TABLE T_SysID (
  ID1 INTEGER NOT NULL
);

CREATE TABLE T_Product (
  ID1 INTEGER PRIMARY KEY,
  State BOOLEAN NOT NULL DEFAULT TRUE,
  GoodsNO VARCHAR(50) NOT NULL,
  GoodsName VARCHAR(100),
  Spec VARCHAR(100),
  Unit VARCHAR(20),
  Price DOUBLE PRECISION,
  Remark VARCHAR(255)
);
CREATE INDEX IX_Product_GoodsNO ON T_Product (GoodsNO);

CREATE TABLE T_Product_Item (
  ItemID SERIAL PRIMARY KEY,
  ID1 INTEGER NOT NULL,
  GoodsNO VARCHAR(50),
  Quantity DOUBLE PRECISION,
  Price DOUBLE PRECISION
);

CREATE TABLE T_Customers (
  ID1 INTEGER PRIMARY KEY,
  State BOOLEAN NOT NULL DEFAULT TRUE,
  CustomerID VARCHAR(50) NOT NULL,
  CustomerName VARCHAR(100),
  Contact VARCHAR(50),
  Phone VARCHAR(50),
  Address VARCHAR(255),
  Remark VARCHAR(255)
);
CREATE INDEX IX_Customers_CustomerID ON T_Customers (CustomerID);

CREATE TABLE T_DeliveryOrder (
  ID1 INTEGER PRIMARY KEY,
  OrderNO VARCHAR(50),
  OrderDate TIMESTAMP,
  CustomerID VARCHAR(50),
  CustomerName VARCHAR(100),
  CurrentMoney DOUBLE PRECISION,
  AmountMoney DOUBLE PRECISION,
  BalanceMoney DOUBLE PRECISION,
  State VARCHAR(20)
);
CREATE INDEX IX_DeliveryOrder_CustomerID ON T_DeliveryOrder (CustomerID);

CREATE TABLE T_Deliveryorder_Item (
  ItemID SERIAL PRIMARY KEY,
  ID1 INTEGER NOT NULL,
  State BOOLEAN NOT NULL DEFAULT TRUE,
  GoodsNO VARCHAR(50) NOT NULL,
  GoodsName VARCHAR(100),
  Spec VARCHAR(100),
  Unit VARCHAR(20),
  Quantity DOUBLE PRECISION,
  Price DOUBLE PRECISION,
  SumMoney DOUBLE PRECISION,
  OrderDate TIMESTAMP
);
CREATE INDEX IX_Deliveryorder_Item_ID1 ON T_Deliveryorder_Item (ID1);
CREATE INDEX IX_Deliveryorder_Item_GoodsNO ON T_Deliveryorder_Item (GoodsNO);
