<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ">
<context>
    <name>VTolmTerminal</name>
    <message>
        <source>Terminal</source>
        <translation>Terminál</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Režim</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>Odeslat</translation>
    </message>
    <message>
        <source>Send with a line end</source>
        <translation>Odeslat s odřádkováním</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Vymazat</translation>
    </message>
    <message>
        <source>Clear the history</source>
        <translation>Vymazat historii</translation>
    </message>
    <message>
        <source>Undock</source>
        <translation>Uvolnit okno</translation>
    </message>
    <message>
        <source>Undock the terminal window</source>
        <translation>Uvolnit okno terminálu</translation>
    </message>
    <message>
        <source>Direct</source>
        <translation>Přímo</translation>
    </message>
    <message>
        <source>Send without a line end</source>
        <translation>Odeslat bez odřádkování</translation>
    </message>
</context>
</TS>
