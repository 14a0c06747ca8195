"""Kesmora: copies the data grid into the active sheet of a running LibreOffice Calc.

Run by Kesmora with the system Python (/usr/bin/python3), which has LibreOffice's bridge
(Debian package python3-uno). Reads one job as JSON from standard input:
  {"connection": UNO accept string, "rows": [[13 texts], ...],
   "styles": [[[rgb, bold, italic] x 13], ...]}
Grid cell (r, c) goes to sheet row R - 1 + r and column A - 1 + c, where (A, R) is the active
cell. Prints "rows N" once attached and "progress N" after each block of rows. Never starts
LibreOffice: with nothing listening it ends with EXIT_NO_CONNECTION.
"""
import json
import re
import sys

EXIT_FAILED, EXIT_NO_CONNECTION, EXIT_NO_SPREADSHEET, EXIT_NO_BRIDGE = 1, 3, 4, 5
BLOCK_ROWS = 250
COLUMNS = 13
# Width 14 of a spreadsheet column: fourteen digits of the standard font, 14 * 7 + 5 pixels at
# 96 dpi, in hundredths of a millimetre.
COLUMN_WIDTH = round((14 * 7 + 5) / 96 * 2540)
WIDE_COLUMNS = (2, 3, 7, 8, 11, 12, 13)  # T. Planet, both positions, the three times
# Written as numbers only where the number shows the same digits: "17" yes, "060" no.
WHOLE_NUMBER = re.compile(r"^-?(0|[1-9][0-9]{0,8})$")


def find_spreadsheet(desktop):
    def is_sheet(doc):
        return doc is not None and hasattr(doc, "supportsService") and \
            doc.supportsService("com.sun.star.sheet.SpreadsheetDocument")
    current = desktop.getCurrentComponent()
    if is_sheet(current):
        return current
    docs = desktop.getComponents().createEnumeration()
    while docs.hasMoreElements():
        doc = docs.nextElement()
        if is_sheet(doc):
            return doc
    return None


def active_cell(controller):
    """Column and row (0-based) of the active cell: the selected cell, or the first of a range."""
    selection = controller.getSelection()
    if hasattr(selection, "getCellAddress"):
        a = selection.getCellAddress()
        return a.Column, a.Row
    if hasattr(selection, "getRangeAddress"):
        a = selection.getRangeAddress()
        return a.StartColumn, a.StartRow
    if hasattr(selection, "getRangeAddresses"):
        addresses = selection.getRangeAddresses()
        if addresses:
            return addresses[0].StartColumn, addresses[0].StartRow
    return 0, 0


def value_of(text):
    # Whole numbers (mansion and pada) become numbers, shown as the same digits; the rest stays text.
    return float(text) if WHOLE_NUMBER.match(text) else text


def apply_styles(doc, sheet_index, col0, row0, styles, uno):
    """Font colour, weight and posture per cell, set once per distinct look over runs of cells."""
    from com.sun.star.awt.FontWeight import BOLD, NORMAL
    from com.sun.star.awt.FontSlant import ITALIC, NONE
    runs = {}
    for c in range(COLUMNS):
        r = 0
        while r < len(styles):
            look = tuple(styles[r][c])
            end = r
            while end + 1 < len(styles) and tuple(styles[end + 1][c]) == look:
                end += 1
            runs.setdefault(look, []).append((c, r, end))
            r = end + 1
    for (rgb, bold, italic), cells in runs.items():
        ranges = doc.createInstance("com.sun.star.sheet.SheetCellRanges")
        for c, first, last in cells:
            address = uno.createUnoStruct("com.sun.star.table.CellRangeAddress")
            address.Sheet = sheet_index
            address.StartColumn = address.EndColumn = col0 + c
            address.StartRow = row0 + first
            address.EndRow = row0 + last
            ranges.addRangeAddress(address, False)
        ranges.CharColor = rgb
        ranges.CharWeight = BOLD if bold else NORMAL
        ranges.CharPosture = ITALIC if italic else NONE


def main():
    try:
        import uno
        from com.sun.star.connection import NoConnectException
        from com.sun.star.lang import IllegalArgumentException
        from com.sun.star.table.CellHoriJustify import LEFT
    except ImportError:
        return EXIT_NO_BRIDGE
    job = json.load(sys.stdin)
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    try:
        context = resolver.resolve("uno:" + job["connection"])
    except (NoConnectException, IllegalArgumentException):
        return EXIT_NO_CONNECTION
    desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
    doc = find_spreadsheet(desktop)
    if doc is None:
        return EXIT_NO_SPREADSHEET
    controller = doc.getCurrentController()
    sheet = controller.getActiveSheet()
    sheet_index = sheet.getRangeAddress().Sheet
    try:
        controller.getFrame().getContainerWindow().setVisible(True)
    except Exception:
        pass  # a window that cannot be shown does not stop the copy
    col0, row0 = active_cell(controller)
    rows, styles = job["rows"], job["styles"]
    print("rows", len(rows), flush=True)

    columns = sheet.getColumns()
    for c in range(1, COLUMNS + 1):
        column = columns.getByIndex(col0 + c - 1)
        column.HoriJustify = LEFT
        if c in WIDE_COLUMNS:
            column.Width = COLUMN_WIDTH

    for start in range(0, len(rows), BLOCK_ROWS):
        block = rows[start:start + BLOCK_ROWS]
        target = sheet.getCellRangeByPosition(col0, row0 + start, col0 + COLUMNS - 1, row0 + start + len(block) - 1)
        target.setDataArray(tuple(tuple(value_of(text) for text in row) for row in block))
        apply_styles(doc, sheet_index, col0, row0 + start, styles[start:start + BLOCK_ROWS], uno)
        print("progress", start + len(block), flush=True)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Exception as e:  # told to the user as it is
        print(type(e).__name__ + ": " + str(e), file=sys.stderr)
        sys.exit(EXIT_FAILED)
