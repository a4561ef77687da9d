-- The database of a new data folder: the ten tables, their indexes and the table of stored
-- queries. Written from the table definitions of src/data/schema.cpp (vinorda-dati crea uses
-- those); a test keeps the two the same.
CREATE TABLE Intesta (
  RagioneSociale TEXT,
  Indirizzo TEXT,
  Citta TEXT,
  Partita_IVA TEXT,
  Aspetto TEXT,
  Causale TEXT,
  CodiceAZ TEXT,
  Griglia_X INTEGER,
  Griglia_Y INTEGER,
  Esportazioni TEXT,
  Stampante1 TEXT,
  Stampante2 TEXT
);
CREATE TABLE Anagrafica (
  Codice TEXT NOT NULL,
  RagioneSociale TEXT NOT NULL,
  Indirizzo TEXT,
  Ncivico TEXT,
  CAP TEXT,
  Citta TEXT,
  Prov TEXT,
  SiglaNaz TEXT,
  Giur_Pers TEXT,
  Nome TEXT,
  Cognome TEXT,
  PartitaIVA TEXT,
  CodiceFiscale TEXT,
  Telefono1 TEXT,
  Telefono2 TEXT,
  Telefono3 TEXT,
  FAX TEXT,
  Email TEXT,
  Riferimento TEXT,
  Note TEXT,
  IBAN TEXT,
  Pagamento TEXT,
  IVA TEXT,
  Listino TEXT,
  Sconto REAL
);
CREATE TABLE Prodotti (
  Auto_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Codice_prodotto TEXT,
  Descrizione TEXT,
  Categoria TEXT,
  Stato TEXT,
  Bottiglia TEXT,
  Zona TEXT,
  Classificazione TEXT,
  Atto_Certificato TEXT,
  Annata TEXT,
  Litri REAL,
  Lotto TEXT,
  UM TEXT,
  Prezzo_sinottico REAL,
  Prezzo1 REAL,
  Prezzo2 REAL,
  Prezzo3 REAL,
  Prezzo4 REAL,
  Prezzo5 REAL,
  IVA TEXT,
  Pos_Griglia INTEGER,
  Nome_breve TEXT,
  Colore TEXT
);
CREATE TABLE Imballi (
  Bottiglia TEXT NOT NULL,
  Descrizione TEXT,
  Volume REAL
);
CREATE TABLE IVA (
  Ordine INTEGER,
  IVA TEXT,
  Nota_fin TEXT
);
CREATE TABLE Fatture (
  Docum_numero TEXT,
  Doc_tipo TEXT,
  Anno TEXT,
  Num_fattura INTEGER,
  Data TEXT,
  Codice TEXT,
  Destinazione TEXT,
  ALIVA1 TEXT,
  ALIVA2 TEXT,
  ALIVA3 TEXT,
  ALIVA4 TEXT,
  I1 INTEGER,
  I2 INTEGER,
  I3 INTEGER,
  I4 INTEGER,
  IMP1 INTEGER,
  IMP2 INTEGER,
  IMP3 INTEGER,
  IMP4 INTEGER,
  IVA1 INTEGER,
  IVA2 INTEGER,
  IVA3 INTEGER,
  IVA4 INTEGER,
  SC1 INTEGER,
  SC2 INTEGER,
  SC3 INTEGER,
  SC4 INTEGER,
  TOTSC1 INTEGER,
  TOTSC2 INTEGER,
  TOTSC3 INTEGER,
  TOTSC4 INTEGER,
  Tot_sconto INTEGER,
  Tot_Litri REAL,
  Tot_Imponibile INTEGER,
  Tot_Iva INTEGER,
  Totale INTEGER,
  Scadenza TEXT,
  Riferimento TEXT,
  Trasporto TEXT,
  Causale TEXT,
  Aspetto TEXT,
  Vettore TEXT,
  Ritiro TEXT,
  Fatturato TEXT,
  DDTFATT TEXT,
  Pagato INTEGER NOT NULL DEFAULT 0,
  Pagato_il TEXT,
  Pagato_note TEXT
);
CREATE TABLE Righe (
  Ordine INTEGER PRIMARY KEY AUTOINCREMENT,
  Docum_numero TEXT,
  CodiceCli TEXT,
  Codice TEXT,
  UM TEXT,
  Litri_per_unita REAL,
  Stato TEXT,
  Quantita REAL,
  Descrizione TEXT,
  Prezzo INTEGER,
  IVA TEXT,
  Cod_vino_collegato TEXT,
  Sconto REAL,
  Volume REAL,
  Scaricato INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE Giornale (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Data_Ora TEXT,
  Cod_vino TEXT,
  Litri REAL,
  Cliente TEXT,
  Docum_numero TEXT,
  Riga_num INTEGER,
  Esportato INTEGER NOT NULL DEFAULT 0,
  Tipo TEXT
);
CREATE TABLE Appoggio_R (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Codice_Breve TEXT,
  Descrizione TEXT,
  UM TEXT,
  Quantita REAL,
  PREZZO REAL,
  Cod_vino_collegato TEXT,
  Litri_per_unita REAL,
  Stato TEXT,
  TOTALE REAL,
  Volume REAL
);
CREATE TABLE Appoggio_I (
  Intesta1 TEXT,
  Intesta2 TEXT,
  Intesta3 TEXT,
  Intesta4 TEXT,
  Docum_numero TEXT,
  Data TEXT
);
CREATE UNIQUE INDEX Fatture_Docum_numero ON Fatture(Docum_numero);
CREATE UNIQUE INDEX Anagrafica_Codice ON Anagrafica(Codice);
CREATE UNIQUE INDEX Prodotti_Codice_prodotto ON Prodotti(Codice_prodotto);
CREATE INDEX Anagrafica_RagioneSociale ON Anagrafica(RagioneSociale);
CREATE INDEX Righe_Docum_numero ON Righe(Docum_numero);
CREATE INDEX Giornale_Data_Ora ON Giornale(Data_Ora);
CREATE INDEX Giornale_Cod_vino ON Giornale(Cod_vino, Tipo, Esportato, Data_Ora);
CREATE INDEX Giornale_Tipo_Periodo ON Giornale(Tipo, Esportato, Data_Ora, Cod_vino, Litri);
CREATE INDEX Fatture_Tipo_Anno ON Fatture(Doc_tipo, Anno, Num_fattura);
CREATE TABLE _StoredQueries (Name TEXT PRIMARY KEY, Sql TEXT NOT NULL, Params TEXT);
