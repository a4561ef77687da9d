#!/usr/bin/env python3
"""Writes the report templates of data/stampe/ (the starting layouts; after that the files are
edited in the designer). Usage: scripts/make-templates.py [OUTDIR]"""
import os
import sys


def num(v):
    return format(float(v), ".10g")


def esc_attr(s):
    return (s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def esc_text(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


class Obj:
    def __init__(self, kind, name, x, y, w, h, **kw):
        self.kind, self.name, self.geo, self.kw = kind, name, (x, y, w, h), kw

    def xml(self, ind):
        a = [("name", self.name)] + [(k, num(v)) for k, v in zip(("x", "y", "width", "height"), self.geo)]
        k = self.kw
        body = None
        if self.kind == "text":
            if k.get("size", 10) != 10:
                a.append(("size", num(k["size"])))
            for f in ("bold", "italic"):
                if k.get(f):
                    a.append((f, "1"))
            if k.get("align"):
                a.append(("align", k["align"]))
            if k.get("valign"):
                a.append(("valign", k["valign"]))
            if k.get("wrap"):
                a.append(("wrap", "1"))
            if k.get("grow"):
                a.append(("grow", "1"))
            if k.get("format"):
                a.append(("format", k["format"]))
            if k.get("fill"):
                a.append(("fill", k["fill"]))
            if k.get("frame"):
                a.append(("frame", k["frame"]))
            body = k.get("text", "")
        elif self.kind in ("line", "rectangle"):
            if k.get("lw", 0.2) != 0.2:
                a.append(("line-width", num(k["lw"])))
            if self.kind == "rectangle" and k.get("fill"):
                a.append(("fill", k["fill"]))
        elif self.kind == "barcode":
            a.append(("type", k.get("type", "code128")))
            body = k.get("text", "")
        attrs = " ".join('%s="%s"' % (n, esc_attr(v)) for n, v in a)
        if body is None:
            return "%s<%s %s/>\n" % (ind, self.kind, attrs)
        if body == "":
            return "%s<%s %s></%s>\n" % (ind, self.kind, attrs, self.kind)
        return "%s<%s %s>%s</%s>\n" % (ind, self.kind, attrs, esc_text(body), self.kind)


def T(name, x, y, w, h, text, **kw):
    kw.setdefault("size", 9)
    return Obj("text", name, x, y, w, h, text=text, **kw)


def L(name, x, y, w, h, lw=0.2):
    return Obj("line", name, x, y, w, h, lw=lw)


def R(name, x, y, w, h, lw=0.2, fill=None):
    return Obj("rectangle", name, x, y, w, h, lw=lw, fill=fill)


def BC(name, x, y, w, h, text):
    return Obj("barcode", name, x, y, w, h, text=text)


class Band:
    def __init__(self, type_, name, height, objects, source=None, **flags):
        self.type, self.name, self.height, self.objects = type_, name, height, objects
        self.source, self.flags = source, flags

    def xml(self):
        a = [("type", self.type), ("name", self.name), ("height", num(self.height))]
        if self.source:
            a.append(("source", self.source))
        for key, attr in (("grow", "grow"), ("keep", "keep-together"), ("new_page", "new-page"),
                          ("print_if_empty", "print-if-empty"), ("repeat", "repeat")):
            if self.flags.get(key):
                a.append((attr, "1"))
        attrs = " ".join('%s="%s"' % (n, esc_attr(v)) for n, v in a)
        if not self.objects:
            return "    <band %s/>\n" % attrs
        return ("    <band %s>\n" % attrs + "".join(o.xml("      ") for o in self.objects) +
                "    </band>\n")


def page(name, bands, width=210, height=297, landscape=False, endless=False, margins=None):
    a = [("name", name), ("width", num(width)), ("height", num(height))]
    if landscape:
        a.append(("orientation", "landscape"))
    if endless:
        a.append(("endless", "1"))
    if margins:
        for side, v in zip(("left", "top", "right", "bottom"), margins):
            if v != 10:
                a.append(("margin-" + side, num(v)))
    attrs = " ".join('%s="%s"' % (n, esc_attr(v)) for n, v in a)
    return "  <page %s>\n" % attrs + "".join(b.xml() for b in bands) + "  </page>\n"


def report(pages):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<report version="1">\n' + "".join(pages) +
            "</report>\n")


GRAY = "#e6e6e6"

# ------------------------------------------------------------------ lists


def list_header(width, subtitle=None):
    objs = [
        T("Ditta", 0, 0, width * 0.6, 6, "[Intestazione.RagioneSociale]", size=11, bold=True),
        T("DittaIndirizzo", 0, 6, width * 0.6, 4.5,
          "[Intestazione.Indirizzo] - [Intestazione.Citta]", size=8),
        T("DataStampa", width * 0.6, 0, width * 0.4, 5, "Stampato il [DATE]", size=8, align="right",
          format="dd/mm/yyyy"),
        T("Titolo", 0, 11, width, 8, "[TITLE]", size=14, bold=True, align="center"),
    ]
    h = 20
    if subtitle:
        objs.append(T("Sottotitolo", 0, 19, width, 5, subtitle, size=9, italic=True, align="center"))
        h = 25
    objs.append(L("LineaTitolo", 0, h - 0.5, width, 0, lw=0.4))
    return Band("pageHeader", "Intestazione", h + 1, objs)


def list_footer(width):
    return Band("pageFooter", "PiePagina", 7, [
        L("LineaPie", 0, 1, width, 0),
        T("PieDitta", 0, 2, width * 0.6, 4.5, "[Intestazione.RagioneSociale] - [TITLE]", size=7),
        T("Pagina", width * 0.6, 2, width * 0.4, 4.5, "Pagina [PAGE#] di [TOTALPAGES]", size=7,
          align="right"),
    ])


def columns(source, cols, width, row_h=5.0, size=8.5, closing=True):
    """cols: (key, header, expression, width, align, format). Left-aligned texts (names,
    descriptions, codes) break into more lines rather than run into the next column; the row
    grows to hold them, so each row's rule is drawn above it and a footer closes the last one."""
    heads, cells = [R("FondoColonne", 0, 0.5, width, 5.5, lw=0.1, fill=GRAY)], []
    cells.append(L("LineaRiga", 0, 0, width, 0, lw=0.1))
    x = 0.0
    for key, head, expr, w, align, fmt in cols:
        heads.append(T("tit" + key, x, 1, w, 5, head, size=8, bold=True, align=align))
        kw = {"align": align, "size": size}
        if fmt:
            kw["format"] = fmt
        if align is None:
            kw["wrap"] = kw["grow"] = True
        cells.append(T("c" + key, x, 0.5, w, row_h - 0.5, expr, **kw))
        x += w
    assert abs(x - width) < 0.01, (source, x, width)
    bands = [
        Band("masterHeader", "Colonne", 7, heads, repeat=True),
        Band("masterData", "Righe_" + source, row_h, cells, source=source, grow=True),
    ]
    if closing:
        bands.append(Band("masterFooter", "Chiusura_" + source, 1,
                          [L("LineaChiusura", 0, 0, width, 0, lw=0.1)]))
    return bands


def list_report(source, cols, landscape=False, summary=None, subtitle=None, row_h=5.0):
    width = 277 if landscape else 190
    bands = [list_header(width, subtitle)] + columns(source, cols, width, row_h)
    if summary:
        bands.append(Band("summary", "Riepilogo", 10, [L("LineaRiepilogo", 0, 0.5, width, 0, lw=0.4)]
                          + summary(width)))
    bands.append(list_footer(width))
    return report([page("Pagina1", bands, landscape=landscape)])


def count_summary(label):
    return lambda w: [T("Conteggio", 0, 2, w, 5, label + " [COUNT()]", size=9, bold=True)]


def clienti():
    c = "Clienti"
    cols = [
        ("Codice", "Codice", "[%s.Codice]" % c, 18, None, None),
        ("Ragione", "Ragione sociale", "[%s.RagioneSociale]" % c, 62, None, None),
        ("Indirizzo", "Indirizzo", "[%s.Indirizzo] [%s.Ncivico]" % (c, c), 52, None, None),
        ("CAP", "CAP", "[%s.CAP]" % c, 12, None, None),
        ("Citta", "Città", "[%s.Citta]" % c, 35, None, None),
        ("Prov", "Prov.", "[%s.Prov]" % c, 10, "center", None),
        ("PIVA", "Partita IVA", "[%s.PartitaIVA]" % c, 25, None, None),
        ("CF", "Codice fiscale", "[%s.CodiceFiscale]" % c, 37, None, None),
        ("Tel", "Telefono", "[%s.Telefono1]" % c, 26, None, None),
    ]
    return list_report(c, cols, landscape=True, summary=count_summary("Clienti in elenco:"))


def rubrica():
    c = "Clienti"
    cols = [
        ("Ragione", "Ragione sociale", "[%s.RagioneSociale]" % c, 52, None, None),
        ("Citta", "Città", "[%s.Citta]" % c, 32, None, None),
        ("Tel1", "Telefono", "[%s.Telefono1]" % c, 22, None, None),
        ("Tel2", "Telefono 2", "[%s.Telefono2]" % c, 22, None, None),
        ("Fax", "Fax", "[%s.FAX]" % c, 22, None, None),
        ("Email", "Email / Agente", "[%s.Email]" % c, 40, None, None),
    ]
    return list_report(c, cols, summary=count_summary("Nominativi:"))


def prodotti():
    p = "prodotti"
    cols = [
        ("Codice", "Codice", "[%s.Codice_prodotto]" % p, 27, None, None),
        ("Descr", "Descrizione", "[%s.Descrizione]" % p, 67, None, None),
        ("Annata", "Annata", "[%s.Annata]" % p, 13, "center", None),
        ("Lotto", "Lotto", "[%s.Lotto]" % p, 20, None, None),
        ("UM", "UM", "[%s.UM]" % p, 9, "center", None),
        ("IVA", "IVA", "[%s.IVA]" % p, 10, "center", None),
        ("Litri", "Litri", "[%s.Litri]" % p, 24, "right", None),
        ("Pezzi", "Pezzi", "[%s.Pezzi]" % p, 20, "right", None),
    ]

    def summ(w):
        return [T("Conteggio", 0, 2, 90, 5, "Prodotti: [COUNT()]", size=9, bold=True),
                T("TotLitri", 100, 2, 90, 5, "Totale litri in giacenza: [SUM([prodotti.Litri])]",
                  size=9, bold=True, align="right", format="#,##0.000")]
    return list_report(p, cols, summary=summ)


def listino(n):
    p = "prodotti"
    cols = [
        ("Codice", "Codice", "[%s.Codice_prodotto]" % p, 26, None, None),
        ("Descr", "Descrizione", "[%s.Descrizione]" % p, 94, None, None),
        ("Annata", "Annata", "[%s.Annata]" % p, 15, "center", None),
        ("UM", "UM", "[%s.UM]" % p, 10, "center", None),
        ("IVA", "IVA %", "[%s.IVA]" % p, 13, "center", None),
        ("Prezzo", "Prezzo €", "[%s.Prezzo%d]" % (p, n), 32, "right", "#,##0.00"),
    ]
    return list_report(p, cols, subtitle="Listino n. %d - prezzi in euro" % n,
                       summary=lambda w: [T("Validita", 0, 2, w, 5,
                                            "Prezzi validi dal [DATE], salvo variazioni.",
                                            size=8, italic=True, format="dd/mm/yyyy")])


def listinox():
    p = "prodotti"
    cols = [
        ("Codice", "Codice", "[%s.Codice_prodotto]" % p, 28, None, None),
        ("Descr", "Descrizione", "[%s.Descrizione]" % p, 85, None, None),
        ("UM", "UM", "[%s.UM]" % p, 10, "center", None),
        ("IVA", "IVA", "[%s.IVA]" % p, 12, "center", None),
    ]
    for i in range(1, 6):
        cols.append(("P%d" % i, "Listino %d" % i, "[%s.Prezzo%d]" % (p, i), 22, "right", "#,##0.00"))
    cols.append(("Banco", "Banco", "[%s.Prezzo_sinottico]" % p, 32, "right", "#,##0.00"))
    return list_report(p, cols, landscape=True, subtitle="Prezzi in euro")


def griglia():
    p = "prodotti"
    cols = [
        ("Pos", "Posizione", "[%s.Pos_Griglia]" % p, 20, "center", None),
        ("Breve", "Nome breve", "[%s.Nome_breve]" % p, 36, None, None),
        ("Codice", "Codice", "[%s.Codice_prodotto]" % p, 26, None, None),
        ("Descr", "Descrizione", "[%s.Descrizione]" % p, 70, None, None),
        ("UM", "UM", "[%s.UM]" % p, 10, "center", None),
        ("Prezzo", "Prezzo banco €", "[%s.Prezzo_sinottico]" % p, 28, "right", "#,##0.00"),
    ]
    return list_report(p, cols, subtitle="Prodotti del pannello di vendita, per posizione")


def barcode():
    p = "prodotti"
    w = 190
    cells = [
        BC("Codice128", 4, 3, 50, 16, "[prodotti.Auto_ID]"),
        # Room for a description of two lines above the code and the lot.
        T("LblDescr", 80, 2, 110, 10.5, "[prodotti.Descrizione]", size=10.5, bold=True, wrap=True),
        T("LblCodice", 80, 13, 110, 5, "Codice [prodotti.Codice_prodotto]   ID [prodotti.Auto_ID]",
          size=9),
        T("LblLotto", 80, 18, 110, 5, "Lotto [prodotti.Lotto]   Annata [prodotti.Annata]", size=8),
        L("Taglio", 0, 23.5, w, 0, lw=0.1),
    ]
    bands = [list_header(w, "Leggere il codice con il lettore per registrare lo scarico"),
             Band("masterData", "Etichette", 24, cells, source=p, keep=True),
             list_footer(w)]
    return report([page("Pagina1", bands)])


def listafatture():
    f = "Fatture"
    cols = [
        ("Doc", "Documento", "[%s.Docum_numero]" % f, 27, None, None),
        ("Tipo", "Tipo", "[%s.Doc_descr]" % f, 36, None, None),
        ("Data", "Data", "[%s.Data]" % f, 19, None, "dd/mm/yyyy"),
        ("Cliente", "Cliente", "[clifatt.RagioneSociale]", 46, None, None),
        ("Imp", "Imponibile", "[%s.Tot_Imponibile]" % f, 22, "right", "#,##0.00"),
        ("Iva", "IVA", "[%s.Tot_Iva]" % f, 18, "right", "#,##0.00"),
        ("Tot", "Totale", "[%s.Totale]" % f, 22, "right", "#,##0.00"),
    ]

    def summ(w):
        return [T("Conteggio", 0, 2, 60, 5, "Documenti: [COUNT()]", size=9, bold=True),
                T("SImp", 128, 2, 22, 5, "[SUM([Fatture.Tot_Imponibile])]", size=8.5, bold=True,
                  align="right", format="#,##0.00"),
                T("SIva", 150, 2, 18, 5, "[SUM([Fatture.Tot_Iva])]", size=8.5, bold=True,
                  align="right", format="#,##0.00"),
                T("STot", 168, 2, 22, 5, "[SUM([Fatture.Totale])]", size=8.5, bold=True,
                  align="right", format="#,##0.00")]
    return list_report(f, cols, summary=summ)


def pagamenti():
    p = "pagamenti"
    cols = [
        ("Doc", "Documento", "[%s.Docum_numero]" % p, 26, None, None),
        ("Data", "Data", "[%s.Data]" % p, 19, None, "dd/mm/yyyy"),
        ("Codice", "Cliente", "[%s.Codice]" % p, 15, None, None),
        ("Ragione", "Ragione sociale", "[%s.RagioneSociale]" % p, 48, None, None),
        ("Tot", "Totale €", "[%s.Totale]" % p, 22, "right", "#,##0.00"),
        ("Pagato", "Pagato", "[IF([%s.Pagato], 'Sì', 'No')]" % p, 15, "center", None),
        ("Il", "Pagato il", "[%s.Pagato_il]" % p, 20, "center", "dd/mm/yyyy"),
        ("Note", "Note", "[%s.Pagato_note]" % p, 25, None, None),
    ]

    def summ(w):
        return [T("STot", 0, 2, 190, 5,
                  "Totale fatture € [SUM([pagamenti.Totale])]   pagato € "
                  "[SUM(IF([pagamenti.Pagato], [pagamenti.Totale], 0))]   da incassare € "
                  "[SUM(IF([pagamenti.Pagato], 0, [pagamenti.Totale]))]",
                  size=9, bold=True, align="right", format="#,##0.00")]
    return list_report(p, cols, summary=summ)


def analisi():
    w = 190
    a1 = [
        ("Data", "Data", "[Appo1.Data_Ora]", 22, "center", "dd/mm/yyyy"),
        ("Doc", "Documento", "[Appo1.Docum_numero]", 30, None, None),
        ("Cli", "Cliente", "[Appo1.Cliente]", 30, None, None),
        ("Cod", "Prodotto", "[Appo1.Cod_vino]", 30, None, None),
        ("Tipo", "Tipo", "[Appo1.Tipo]", 14, "center", None),
        ("Riga", "Riga", "[Appo1.Riga_num]", 20, "right", None),
        ("Litri", "Litri", "[Appo1.Litri]", 44, "right", "#,##0.000"),
    ]
    a2 = [
        ("Doc", "Documento", "[appo2.Docum_numero]", 30, None, None),
        ("Data", "Data", "[appo2.Data]", 20, "center", "dd/mm/yyyy"),
        ("Cod", "Codice", "[appo2.Codice]", 24, None, None),
        ("Descr", "Descrizione", "[appo2.Descrizione]", 48, None, None),
        ("Qta", "Quantità", "[appo2.Quantita]", 18, "right", "#,##0.00"),
        ("UM", "UM", "[appo2.UM]", 10, "center", None),
        ("Litri", "Litri", "[appo2.Volume]", 20, "right", "#,##0.000"),
        ("Scar", "Scaricata", "[IF([appo2.Scaricato], 'Sì', 'No')]", 20, "center", None),
    ]
    bands = [list_header(w, "Prodotto [prodotti.Codice_prodotto] - [prodotti.Descrizione]")]
    for src, cols, title in (("Appo1", a1, "Movimenti del giornale di magazzino"),
                             ("appo2", a2, "Righe dei documenti (esclusa la fatturazione "
                                           "riassuntiva)")):
        hb, db = columns(src, cols, w, closing=False)
        for o in hb.objects:
            o.geo = (o.geo[0], o.geo[1] + 8, o.geo[2], o.geo[3])
            o.name = o.name + "_" + src
        for o in db.objects:
            o.name = o.name + "_" + src
        hb.objects.insert(0, T("Sezione_" + src, 0, 1, w, 6, title, size=10, bold=True))
        hb.height = 15
        hb.name = "Colonne_" + src
        hb.flags["print_if_empty"] = False
        litri = "Litri" if src == "Appo1" else "Volume"
        foot = Band("masterFooter", "Totale_" + src, 9, [
            L("LineaTot_" + src, 0, 0.5, w, 0, lw=0.4),
            T("Conta_" + src, 0, 1.5, 90, 5, "Righe: [COUNT()]", size=8.5, bold=True),
            T("Tot_" + src, 100, 1.5, 90, 5, "Totale litri [SUM([%s.%s])]" % (src, litri),
              size=8.5, bold=True, align="right", format="#,##0.000")])
        bands += [hb, db, foot]
    bands.append(list_footer(w))
    return report([page("Pagina1", bands)])


def movimenti():
    w = 190
    d = [
        ("Data", "Data", "[documenti.Data_Ora]", 19, None, "dd/mm/yyyy"),
        ("Doc", "Documento", "[documenti.Docum_numero]", 28, None, None),
        ("Cli", "Cliente", "[documenti.Cliente]", 16, None, None),
        ("Cod", "Codice", "[documenti.Cod_vino]", 24, None, None),
        ("Descr", "Descrizione", "[documenti.Descrizione]", 55, None, None),
        ("Lotto", "Lotto", "[documenti.Lotto]", 16, None, None),
        ("Tipo", "Tipo", "[documenti.Tipo]", 10, "center", None),
        ("Litri", "Litri", "[documenti.Litri]", 22, "right", "#,##0.000"),
    ]
    c = [
        ("Cod", "Codice", "[corrispettivi.Cod_vino]", 28, None, None),
        ("Descr", "Descrizione", "[corrispettivi.Descrizione]", 80, None, None),
        ("Bott", "Confezione", "[corrispettivi.Bottiglia]", 24, None, None),
        ("Lotto", "Lotto", "[corrispettivi.Lotto]", 28, None, None),
        ("Litri", "Litri", "[corrispettivi.SommaDiLitri]", 30, "right", "#,##0.000"),
    ]
    pages = []
    for name, src, cols, sub, litri in (
            ("Documenti", "documenti", d, "Movimenti da documenti di trasporto e fatture", "Litri"),
            ("Corrispettivi", "corrispettivi", c, "Vendite dirette (corrispettivi) per prodotto",
             "SommaDiLitri")):
        bands = [list_header(w, sub)] + columns(src, cols, w)
        bands.append(Band("summary", "Riepilogo", 10, [
            L("LineaRiepilogo", 0, 0.5, w, 0, lw=0.4),
            T("Conteggio", 0, 2, 90, 5, "Righe: [COUNT()]", size=9, bold=True),
            T("TotLitri", 100, 2, 90, 5, "Totale litri [SUM([%s.%s])]" % (src, litri), size=9,
              bold=True, align="right", format="#,##0.000")]))
        bands.append(list_footer(w))
        pages.append(page(name, bands))
    return report(pages)


# ------------------------------------------------------------------ documents

def address_box(prefix, src, x, y, w, label):
    return [
        R("Box" + prefix, x, y, w, 30, lw=0.3),
        T("Lbl" + prefix, x + 1, y + 0.5, w - 2, 4, label, size=7, italic=True),
        T(prefix + "Ragione", x + 2, y + 5, w - 4, 5.5, "[%s.RagioneSociale]" % src, size=10,
          bold=True),
        T(prefix + "Indirizzo", x + 2, y + 11, w - 4, 4.5, "[%s.Indirizzo] [%s.Ncivico]" % (src, src)),
        T(prefix + "Citta", x + 2, y + 15.5, w - 4, 4.5,
          "[%s.CAP] [%s.Citta] [IF([%s.Prov] = '', '', '(' & [%s.Prov] & ')')]" % (src, src, src, src)),
        T(prefix + "Fiscale", x + 2, y + 21, w - 4, 4,
          "[IF([%s.PartitaIVA] = '', '', 'P.IVA ' & [%s.PartitaIVA])]   "
          "[IF([%s.CodiceFiscale] = '', '', 'C.F. ' & [%s.CodiceFiscale])]" % (src, src, src, src),
          size=8),
    ]


def cell(key, x, y, w, label, expr, h=11, fmt=None, size=9):
    objs = [R("Box" + key, x, y, w, h, lw=0.2),
            T("Lbl" + key, x + 1, y + 0.3, w - 2, 3.5, label, size=6.5, italic=True)]
    kw = {"size": size}
    if fmt:
        kw["format"] = fmt
    objs.append(T(key, x + 1, y + 4, w - 2, h - 4.5, expr, wrap=True, **kw))
    return objs


LINE_COLS = [
    ("Codice", "Codice", "[righe.Codice]", 25, None, None),
    ("Descrizione", "Descrizione", "[righe.Descrizione]", 67, None, None),
    ("Quantita", "Quantità", "[righe.Quantita]", 16, "right", None),
    ("UM", "UM", "[righe.UM]", 10, "center", None),
    ("Prezzo", "Prezzo €", "[righe.Prezzo]", 18, "right", None),
    ("Sconto", "Sc. %", "[righe.Sconto]", 12, "right", None),
    ("IVA", "IVA", "[righe.IVA]", 12, "center", None),
    ("Totale", "Importo €", "[righe.Totale]", 30, "right", None),
]


def document(title, transport, invoice, signatures):
    w = 190
    hdr = [
        T("Ditta", 0, 0, 110, 8, "[Intestazione.RagioneSociale]", size=15, bold=True),
        T("DittaIndirizzo", 0, 8.5, 110, 5, "[Intestazione.Indirizzo]"),
        T("DittaCitta", 0, 13.5, 110, 5, "[Intestazione.Citta]"),
        T("DittaPIVA", 0, 18.5, 110, 5, "Partita IVA [Intestazione.Partita_IVA]"),
        R("BoxDocumento", 115, 0, 75, 25, lw=0.4),
        T("Fatt", 116, 1.5, 73, 7, title, size=12, bold=True, align="center"),
        T("Numero", 117, 10, 36, 5.5, "N. [Fatture.Num_fattura]", size=10, bold=True),
        T("DataDoc", 153, 10, 35, 5.5, "del [Fatture.Data]", size=10, bold=True, align="right",
          format="dd/mm/yyyy"),
        T("DocNumero", 117, 17, 40, 5, "[Fatture.Docum_numero]", size=8),
        T("Pagina", 153, 17, 35, 5, "Pagina [PAGE#] di [TOTALPAGES]", size=8, align="right"),
    ]
    hdr += address_box("Cli", "clifatt", 0, 28, 93, "Destinatario")
    hdr += address_box("Dest", "destfatt", 97, 28, 93, "Luogo di destinazione")
    y = 61
    if transport:
        hdr += cell("Trasporto", 0, y, 30, "Trasporto a cura del", "[Fatture.Trasporto_l]")
        hdr += cell("Causale", 30, y, 40, "Causale del trasporto", "[Fatture.Causale]")
        hdr += cell("Aspetto", 70, y, 40, "Aspetto esteriore dei beni", "[Fatture.Aspetto]")
        hdr += cell("Vettore", 110, y, 50, "Vettore", "[Fatture.Vettore]")
        hdr += cell("Ritiro", 160, y, 30, "Data e ora del ritiro", "[Fatture.Ritiro]")
        y += 12
    if invoice:
        hdr += cell("Pagamento", 0, y, 95, "Pagamento", "[clifatt.Pagamento]")
        hdr += cell("Banca", 95, y, 95, "Banca d'appoggio (IBAN)", "[clifatt.IBAN]")
        y += 12
    y += 1
    hdr.append(R("FondoColonne", 0, y, w, 6, lw=0.2, fill=GRAY))
    x = 0
    cells = []
    for key, head, expr, cw, align, fmt in LINE_COLS:
        hdr.append(T("tit" + key, x + 0.5, y + 0.7, cw - 1, 5, head, size=8, bold=True, align=align))
        kw = {"align": align, "size": 9}
        if key == "Descrizione":
            kw.update(wrap=True, grow=True)
        cells.append(T("riga" + key, x + 0.5, 0.5, cw - 1, 4.5, expr, **kw))
        x += cw
    cells.append(L("LineaRiga", 0, 5.3, w, 0, lw=0.1))
    header = Band("pageHeader", "Intestazione", y + 6.5, hdr)
    lines = Band("masterData", "Righe", 5.5, cells, source="righe", grow=True)

    # VAT summary of the four slots and the totals.
    vat = [R("FondoIva", 0, 2, 112, 5, lw=0.2, fill=GRAY)]
    vcols = [("Aliquota", "Aliquota", "ALIVA", 18, "center", None),
             ("Imponibile", "Imponibile €", "IMP", 28, "right", None),
             ("ScPerc", "Sc. %", "SC", 12, "right", "0;;#"),
             ("Sconto", "Sconto €", "TOTSC", 26, "right", None),
             ("Imposta", "Imposta €", "IVA", 28, "right", None)]
    x = 0
    for key, head, field, cw, align, fmt in vcols:
        vat.append(T("titIva" + key, x + 0.5, 2.3, cw - 1, 4.5, head, size=7.5, bold=True, align=align))
        for i in range(1, 5):
            kw = {"align": align, "size": 8.5}
            if fmt:
                kw["format"] = fmt
            vat.append(T("%s%d" % (key, i), x + 0.5, 7.5 + (i - 1) * 4.5, cw - 1, 4.5,
                         "[Fatture.%s%d]" % (field, i), **kw))
        x += cw
    vat.append(R("BoxIva", 0, 2, 112, 24.5, lw=0.2))
    vat += [
        R("BoxTotali", 120, 2, 70, 24.5, lw=0.4),
        T("LblImponibile", 122, 3, 36, 5, "Totale imponibile", size=8.5),
        T("TotImponibile", 158, 3, 30, 5, "[Fatture.Tot_Imponibile]", size=9, align="right"),
        T("LblTotIva", 122, 8.5, 36, 5, "Totale IVA", size=8.5),
        T("TotIva", 158, 8.5, 30, 5, "[Fatture.Tot_Iva]", size=9, align="right"),
        L("LineaTotale", 121, 15, 68, 0, lw=0.3),
        T("LblTotale", 122, 17, 36, 7, "TOTALE €", size=11, bold=True, valign="center"),
        T("Totale", 150, 17, 38, 7, "[Fatture.Totale]", size=12, bold=True, align="right",
          valign="center", format="#,##0.00"),
    ]
    totals = Band("masterFooter", "Riepilogo", 29, vat)

    notes = [
        T("Litri", 0, 1, 190, 4.5, "Litri totali: [Fatture.LitriLettere]", size=8.5),
        T("Scadenze", 0, 6, 190, 4.5, "Scadenze: [Fatture.Scadenza]", size=8.5, wrap=True),
        T("NoteIva", 0, 11, 190, 8, "[Fatture.NOTEIVA]", size=8, italic=True, wrap=True),
    ]
    y = 20
    if signatures:
        notes += [
            L("FirmaConducenteLinea", 5, y + 12, 55, 0),
            T("FirmaConducente", 5, y + 12.5, 55, 4, "Firma del conducente", size=7.5, align="center"),
            L("FirmaVettoreLinea", 68, y + 12, 55, 0),
            T("FirmaVettore", 68, y + 12.5, 55, 4, "Firma del vettore", size=7.5, align="center"),
            L("FirmaDestLinea", 131, y + 12, 55, 0),
            T("FirmaDest", 131, y + 12.5, 55, 4, "Firma del destinatario", size=7.5, align="center"),
        ]
        y += 18
    notes.append(T("Annotazioni", 0, y, 190, 5, "[Fatture.Riferimento]", size=8.5, wrap=True,
                   grow=True))
    foot = Band("summary", "Note", y + 6, notes, grow=True)
    pfoot = Band("pageFooter", "PiePagina", 6, [
        L("LineaPie", 0, 0.5, w, 0, lw=0.1),
        T("PieDitta", 0, 1, 150, 4.5,
          "[Intestazione.RagioneSociale] - [Intestazione.Indirizzo] - [Intestazione.Citta] - "
          "P.IVA [Intestazione.Partita_IVA]", size=6.5),
        T("PiePagina", 150, 1, 40, 4.5, "[Fatture.Docum_numero] - pag. [PAGE#]/[TOTALPAGES]",
          size=6.5, align="right"),
    ])
    return report([page("Pagina1", [header, lines, totals, foot, pfoot])])


def scontrino():
    w = 74
    title = Band("reportTitle", "Testata", 36, [
        T("Intesta1", 0, 0, w, 6, "[appoggio_I.Intesta1]", size=11, bold=True, align="center",
          wrap=True),
        T("Intesta2", 0, 6, w, 4.5, "[appoggio_I.Intesta2]", size=8.5, align="center"),
        T("Intesta3", 0, 10.5, w, 4.5, "[appoggio_I.Intesta3]", size=8.5, align="center"),
        T("Intesta4", 0, 15, w, 4.5, "[appoggio_I.Intesta4]", size=8.5, align="center"),
        L("Linea1", 0, 21, w, 0, lw=0.3),
        T("Numero", 0, 22.5, 40, 5, "Scontrino n. [appoggio_I.Docum_numero]", size=8.5, bold=True),
        T("Data", 40, 22.5, 34, 5, "[appoggio_I.Data]", size=8.5, align="right",
          format="dd/mm/yyyy hh:nn"),
        T("TitDescr", 0, 29, 40, 4.5, "Descrizione", size=7.5, bold=True),
        T("TitImporto", 44, 29, 30, 4.5, "Importo €", size=7.5, bold=True, align="right"),
        L("Linea2", 0, 34, w, 0, lw=0.2),
    ])
    lines = Band("masterData", "Righe", 9.5, [
        T("Descrizione", 0, 0.5, w, 4.5, "[appoggio_R.Descrizione]", size=8.5, wrap=True, grow=True),
        T("Quantita", 4, 5, 42, 4.5, "[appoggio_R.Quantita] [appoggio_R.UM] x [appoggio_R.PREZZO]",
          size=8),
        T("Importo", 46, 5, 28, 4.5, "[appoggio_R.TOTALE]", size=8.5, align="right",
          format="#,##0.00"),
    ], source="appoggio_R", grow=True)
    total = Band("summary", "Totale", 24, [
        L("Linea3", 0, 1, w, 0, lw=0.4),
        T("LblTotale", 0, 2.5, 30, 7, "TOTALE €", size=12, bold=True, valign="center"),
        T("Totale", 30, 2.5, 44, 7, "[Somma.TOT]", size=13, bold=True, align="right",
          valign="center", format="#,##0.00"),
        T("Articoli", 0, 10.5, w, 4, "Righe: [COUNT()]", size=7.5),
        T("Saluto", 0, 16, w, 5, "Grazie e arrivederci", size=8.5, italic=True, align="center"),
    ])
    return report([page("Scontrino", [title, lines, total], width=80, height=200, endless=True,
                        margins=(3, 3, 3, 5))])


TEMPLATES = {
    "clienti": clienti,
    "rubrica": rubrica,
    "prodotti": prodotti,
    "listinox": listinox,
    "griglia": griglia,
    "barcode": barcode,
    "listafatture": listafatture,
    "analisi": analisi,
    "movimenti": movimenti,
    "pagamenti": pagamenti,
    "doctrasp": lambda: document("DOCUMENTO DI TRASPORTO", True, False, True),
    "ricevuta": lambda: document("RICEVUTA", True, False, True),
    "fattura_imm": lambda: document("FATTURA IMMEDIATA", True, True, True),
    "fattura_diff": lambda: document("FATTURA", False, True, False),
    "scontrinoint": scontrino,
}
for _n in range(1, 6):
    TEMPLATES["listino%d" % _n] = (lambda n: lambda: listino(n))(_n)

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data",
                                                            "stampe")
    os.makedirs(out, exist_ok=True)
    for name, make in sorted(TEMPLATES.items()):
        with open(os.path.join(out, name + ".frf"), "w", encoding="utf-8") as f:
            f.write(make())
    print("%d modelli scritti in %s" % (len(TEMPLATES), out))
