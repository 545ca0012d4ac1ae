-- The business database of a small sales and delivery business (SQL Server).
CREATE TABLE T_SysID (
  ID1 INTEGER NOT NULL
);

CREATE TABLE T_Product (
  ID1 INTEGER PRIMARY KEY,
  State BIT NOT NULL DEFAULT 1,
  GoodsNO NVARCHAR(50) NOT NULL,
  GoodsName NVARCHAR(100),
  Spec NVARCHAR(100),
  Unit NVARCHAR(20),
  Price FLOAT,
  Remark NVARCHAR(255)
);
CREATE INDEX IX_Product_GoodsNO ON T_Product (GoodsNO);

CREATE TABLE T_Product_Item (
  ItemID INT IDENTITY(1,1) PRIMARY KEY,
  ID1 INTEGER NOT NULL,
  GoodsNO NVARCHAR(50),
  Quantity FLOAT,
  Price FLOAT
);

CREATE TABLE T_Customers (
  ID1 INTEGER PRIMARY KEY,
  State BIT NOT NULL DEFAULT 1,
  CustomerID NVARCHAR(50) NOT NULL,
  CustomerName NVARCHAR(100),
  Contact NVARCHAR(50),
  Phone NVARCHAR(50),
  Address NVARCHAR(255),
  Remark NVARCHAR(255)
);
CREATE INDEX IX_Customers_CustomerID ON T_Customers (CustomerID);

CREATE TABLE T_DeliveryOrder (
  ID1 INTEGER PRIMARY KEY,
  OrderNO NVARCHAR(50),
  OrderDate DATETIME,
  CustomerID NVARCHAR(50),
  CustomerName NVARCHAR(100),
  CurrentMoney FLOAT,
  AmountMoney FLOAT,
  BalanceMoney FLOAT,
  State NVARCHAR(20)
);
CREATE INDEX IX_DeliveryOrder_CustomerID ON T_DeliveryOrder (CustomerID);

CREATE TABLE T_Deliveryorder_Item (
  ItemID INT IDENTITY(1,1) PRIMARY KEY,
  ID1 INTEGER NOT NULL,
  State BIT NOT NULL DEFAULT 1,
  GoodsNO NVARCHAR(50) NOT NULL,
  GoodsName NVARCHAR(100),
  Spec NVARCHAR(100),
  Unit NVARCHAR(20),
  Quantity FLOAT,
  Price FLOAT,
  SumMoney FLOAT,
  OrderDate DATETIME
);
CREATE INDEX IX_Deliveryorder_Item_ID1 ON T_Deliveryorder_Item (ID1);
CREATE INDEX IX_Deliveryorder_Item_GoodsNO ON T_Deliveryorder_Item (GoodsNO);
