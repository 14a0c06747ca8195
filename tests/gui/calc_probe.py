"""Test helper for the spreadsheet export test, on a headless LibreOffice Calc.

usage: calc_probe.py CONNECTION prepare CELL   waits until Calc listens (up to 90 s), opens a
                                               hidden spreadsheet and selects CELL
       calc_probe.py CONNECTION read CELL...   one JSON object, for each cell its text, number or
                                               not, colour, bold, italic, column width, left aligned
       calc_probe.py CONNECTION quit           ends that LibreOffice
"""
import json
import sys
import time

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException


def connect(connection, wait_seconds):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + wait_seconds
    while True:
        try:
            context = resolver.resolve("uno:" + connection)
            return context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        except NoConnectException:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.25)


def main():
    connection, command = sys.argv[1], sys.argv[2]
    desktop = connect(connection, 90 if command == "prepare" else 5)
    if command == "prepare":
        hidden = PropertyValue()
        hidden.Name, hidden.Value = "Hidden", True
        doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (hidden,))
        controller = doc.getCurrentController()
        controller.getFrame().activate()
        controller.select(controller.getActiveSheet().getCellRangeByName(sys.argv[3]))
        print("ready")
    elif command == "read":
        sheet = desktop.getCurrentComponent().getCurrentController().getActiveSheet()
        cells = {}
        for name in sys.argv[3:]:
            cell = sheet.getCellRangeByName(name)
            column = sheet.getColumns().getByIndex(cell.getCellAddress().Column)
            cells[name] = {"text": cell.getString(), "value": cell.getValue(),
                           "isText": cell.getType().value == "TEXT", "color": cell.CharColor,
                           "bold": cell.CharWeight > 100, "italic": cell.CharPosture.value == "ITALIC",
                           "width": column.Width, "left": column.HoriJustify.value == "LEFT"}
        print(json.dumps(cells))
    elif command == "quit":
        desktop.terminate()


if __name__ == "__main__":
    main()
