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
    <message>
        <source>Hex entry</source>
        <translation>Hex vstup</translation>
    </message>
    <message>
        <source>Show the entry line for bytes in hexadecimal</source>
        <translation>Zobrazit řádek pro zadání bajtů šestnáctkově</translation>
    </message>
    <message>
        <source>The marker at the start of each line, after the time:
+  received
-  sent
#  after + or -: the bytes in hexadecimal
E  a message of the program, or a line of the modem&apos;s reply as the program read it
?  of no known kind
&lt;#0D&gt; stands for a byte that has no character (here a carriage return).</source>
        <translation>Značka na začátku každého řádku, za časem:
+  přijato
-  odesláno
#  za + nebo -: bajty šestnáctkově
E  zpráva programu nebo řádek odpovědi modemu, jak jej program přečetl
?  neznámého druhu
&lt;#0D&gt; zastupuje bajt, který nemá znak (zde návrat vozíku).</translation>
    </message>
</context>
</TS>
