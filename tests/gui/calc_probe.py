"""Test helper: prepares and reads a headless LibreOffice Calc for the spreadsheet export test.

usage: calc_probe.py CONNECTION prepare CELL   waits until Calc listens (up to 90 s), opens a new
                                               hidden spreadsheet, activates it, selects CELL
       calc_probe.py CONNECTION read CELL...   prints one JSON object per cell: text, value,
                                               colour, bold, italic, column width, alignment
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
        doc = desktop.getCurrentComponent()
        sheet = doc.getCurrentController().getActiveSheet()
        for name in sys.argv[3:]:
            cell = sheet.getCellRangeByName(name)
            column = sheet.getColumns().getByIndex(cell.getCellAddress().Column)
            print(json.dumps({"cell": name, "text": cell.getString(), "value": cell.getValue(),
                              "isText": cell.getType().value == "TEXT", "color": cell.CharColor,
                              "bold": cell.CharWeight > 100, "italic": cell.CharPosture.value == "ITALIC",
                              "width": column.Width, "left": column.HoriJustify.value == "LEFT"}))
    elif command == "quit":
        desktop.terminate()


if __name__ == "__main__":
    main()
