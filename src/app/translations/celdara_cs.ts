<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="cs_CZ">
<context>
    <name>PortSettingsDialog</name>
    <message>
        <source>Port settings</source>
        <translation>Nastavení portu</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Žádná</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Lichá</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Sudá</translation>
    </message>
    <message>
        <source>Mark</source>
        <translation>Jednička (mark)</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Nula (space)</translation>
    </message>
    <message>
        <source>Xon / Xoff</source>
        <translation>Xon / Xoff</translation>
    </message>
    <message>
        <source>Hardware (RTS/CTS)</source>
        <translation>Hardwarové (RTS/CTS)</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Vypnuto</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Zapnuto</translation>
    </message>
    <message>
        <source>Toggle while sending</source>
        <translation>Zapnuto při vysílání</translation>
    </message>
    <message>
        <source>&amp;Bits per second:</source>
        <translation>&amp;Rychlost (b/s):</translation>
    </message>
    <message>
        <source>&amp;Data bits:</source>
        <translation>&amp;Datové bity:</translation>
    </message>
    <message>
        <source>&amp;Parity:</source>
        <translation>&amp;Parita:</translation>
    </message>
    <message>
        <source>&amp;Stop bits:</source>
        <translation>&amp;Stop bity:</translation>
    </message>
    <message>
        <source>&amp;Flow control:</source>
        <translation>Řízení &amp;toku:</translation>
    </message>
    <message>
        <source>D&amp;TR line:</source>
        <translation>Linka D&amp;TR:</translation>
    </message>
    <message>
        <source>&amp;RTS line:</source>
        <translation>Linka &amp;RTS:</translation>
    </message>
    <message>
        <source>Port settings - %1</source>
        <translation>Nastavení portu - %1</translation>
    </message>
    <message>
        <source>no port</source>
        <translation>žádný port</translation>
    </message>
</context>
<context>
    <name>THelpWindow</name>
    <message>
        <source>Help</source>
        <translation>Nápověda</translation>
    </message>
    <message>
        <source>The help (index.html) was not found. It was looked for in:</source>
        <translation>Nápověda (index.html) nebyla nalezena. Hledala se v:</translation>
    </message>
</context>
<context>
    <name>TNetworkScanDialog</name>
    <message>
        <source>unknown</source>
        <translation>neznámá</translation>
    </message>
    <message>
        <source>available</source>
        <translation>dostupná</translation>
    </message>
    <message>
        <source>current</source>
        <translation>aktuální</translation>
    </message>
    <message>
        <source>forbidden</source>
        <translation>zakázaná</translation>
    </message>
    <message>
        <source>Search for networks</source>
        <translation>Hledání sítí</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Název</translation>
    </message>
    <message>
        <source>Short name</source>
        <translation>Zkrácený název</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Kód</translation>
    </message>
    <message>
        <source>State</source>
        <translation>Stav</translation>
    </message>
    <message>
        <source>Technology</source>
        <translation>Technologie</translation>
    </message>
    <message>
        <source>&amp;Switch to network</source>
        <translation>&amp;Přepnout na síť</translation>
    </message>
    <message>
        <source>&amp;Add to operator table</source>
        <translation>Přid&amp;at do tabulky operátorů</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Zrušit</translation>
    </message>
    <message>
        <source>While the modem searches it answers nothing else: the signal and the status wait for the end of the search.</source>
        <translation>Během hledání modem na nic jiného neodpovídá: signál a stav počkají na konec hledání.</translation>
    </message>
    <message>
        <source>Searching for networks: %1 passed. A modem may take up to %2 minutes.</source>
        <translation>Hledání sítí: uplynulo %1. Modemu to může trvat až %2 min.</translation>
    </message>
    <message>
        <source>The modem refused the search: %1</source>
        <translation>Modem hledání odmítl: %1</translation>
    </message>
    <message>
        <source>The modem did not answer the search within %1 minutes.</source>
        <translation>Modem na hledání neodpověděl do %1 min.</translation>
    </message>
    <message>
        <source>The search ended without an answer: %1</source>
        <translation>Hledání skončilo bez odpovědi: %1</translation>
    </message>
    <message>
        <source>The modem found no networks.</source>
        <translation>Modem nenašel žádnou síť.</translation>
    </message>
    <message>
        <source>Networks found: %1. Choose one to switch to it or to add it to the operator table.</source>
        <translation>Nalezené sítě: %1. Vyberte síť, na kterou se má modem přepnout nebo kterou přidat do tabulky operátorů.</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Zavřít</translation>
    </message>
    <message>
        <source>%1 is forbidden: the SIM does not allow it, and the modem will most likely be refused there.</source>
        <translation>Síť %1 je zakázaná: SIM ji nepovoluje a modem tam nejspíš bude odmítnut.</translation>
    </message>
</context>
<context>
    <name>TPlainFileIconProvider</name>
    <message>
        <source>Folder</source>
        <translation>Složka</translation>
    </message>
    <message>
        <source>Special file</source>
        <translation>Zvláštní soubor</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Soubor</translation>
    </message>
</context>
<context>
    <name>TRadioPanelView</name>
    <message>
        <source>Cell ID</source>
        <translation>ID buňky</translation>
    </message>
    <message>
        <source>role</source>
        <translation>role</translation>
    </message>
    <message>
        <source>band</source>
        <translation>pásmo</translation>
    </message>
    <message>
        <source>channel</source>
        <translation>kanál</translation>
    </message>
    <message>
        <source>excellent</source>
        <translation>výborný</translation>
    </message>
    <message>
        <source>good</source>
        <translation>dobrý</translation>
    </message>
    <message>
        <source>fair</source>
        <translation>průměrný</translation>
    </message>
    <message>
        <source>poor</source>
        <translation>slabý</translation>
    </message>
</context>
<context>
    <name>TfrmAbout</name>
    <message>
        <source>About Celdara</source>
        <translation>O programu Celdara</translation>
    </message>
    <message>
        <source>Version %1

Watches a GSM modem on a serial port:
signal, operator, cells and calls.</source>
        <translation>Verze %1

Sleduje GSM modem na sériovém portu:
signál, operátora, buňky a hovory.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>neznámá</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>&amp;1 second</source>
        <translation>&amp;1 sekunda</translation>
    </message>
    <message>
        <source>= 1 second</source>
        <translation>= 1 sekunda</translation>
    </message>
    <message>
        <source>&amp;3 seconds</source>
        <translation>&amp;3 sekundy</translation>
    </message>
    <message>
        <source>= 3 seconds</source>
        <translation>= 3 sekundy</translation>
    </message>
    <message>
        <source>&amp;5 seconds</source>
        <translation>&amp;5 sekund</translation>
    </message>
    <message>
        <source>= 5 seconds</source>
        <translation>= 5 sekund</translation>
    </message>
    <message>
        <source>1&amp;0 seconds</source>
        <translation>1&amp;0 sekund</translation>
    </message>
    <message>
        <source>= 10 seconds</source>
        <translation>= 10 sekund</translation>
    </message>
    <message>
        <source>1 &amp;minute</source>
        <translation>1 &amp;minuta</translation>
    </message>
    <message>
        <source>= 1 minute</source>
        <translation>= 1 minuta</translation>
    </message>
    <message>
        <source>Celdara</source>
        <translation>Celdara</translation>
    </message>
    <message>
        <source>Terminal</source>
        <translation>Terminál</translation>
    </message>
    <message>
        <source> Connection </source>
        <translation> Připojení </translation>
    </message>
    <message>
        <source>&amp;Parameters</source>
        <translation>&amp;Parametry</translation>
    </message>
    <message>
        <source>Show &amp;terminal</source>
        <translation>Zobrazit &amp;terminál</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signál</translation>
    </message>
    <message>
        <source>Signal History</source>
        <translation>Historie signálu</translation>
    </message>
    <message>
        <source> Switch to operator </source>
        <translation> Přepnout na operátora </translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Soubor</translation>
    </message>
    <message>
        <source>&amp;Exit</source>
        <translation>&amp;Konec</translation>
    </message>
    <message>
        <source>&amp;Update Speed</source>
        <translation>&amp;Rychlost obnovy</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>N&amp;astavení</translation>
    </message>
    <message>
        <source>&amp;Debug terminal</source>
        <translation>&amp;Ladicí terminál</translation>
    </message>
    <message>
        <source>&amp;Reconnect when the port returns</source>
        <translation>&amp;Znovu připojit, až se port vrátí</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Nápověda</translation>
    </message>
    <message>
        <source>&amp;Content</source>
        <translation>&amp;Obsah</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>O &amp;programu</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Verze %1</translation>
    </message>
    <message>
        <source>Save signal history...</source>
        <translation>Uložit historii signálu...</translation>
    </message>
    <message>
        <source>Save graph as image...</source>
        <translation>Uložit graf jako obrázek...</translation>
    </message>
    <message>
        <source>Log to file...</source>
        <translation>Zapisovat do souboru...</translation>
    </message>
    <message>
        <source>Stop logging</source>
        <translation>Přestat zapisovat</translation>
    </message>
    <message>
        <source>Cannot save the signal history to %1: %2</source>
        <translation>Historii signálu nelze uložit do %1: %2</translation>
    </message>
    <message>
        <source>Cannot save the graph to %1: %2</source>
        <translation>Graf nelze uložit do %1: %2</translation>
    </message>
    <message>
        <source>%1 Logging stopped.</source>
        <translation>%1 Zápis byl ukončen.</translation>
    </message>
    <message>
        <source>Logging to %1 (%2)</source>
        <translation>Zápis do %1 (%2)</translation>
    </message>
    <message>
        <source>Save signal history</source>
        <translation>Uložit historii signálu</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>Soubory CSV (*.csv)</translation>
    </message>
    <message>
        <source>Save graph as image</source>
        <translation>Uložit graf jako obrázek</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>Obrázky PNG (*.png)</translation>
    </message>
    <message>
        <source>Log the poll cycles to</source>
        <translation>Zapisovat cykly dotazování do</translation>
    </message>
    <message>
        <source>&amp;Interval:</source>
        <translation>&amp;Interval:</translation>
    </message>
    <message>
        <source>Every cycle</source>
        <translation>Každý cyklus</translation>
    </message>
    <message>
        <source>Every second</source>
        <translation>Každou sekundu</translation>
    </message>
    <message>
        <source>Every 10 seconds</source>
        <translation>Každých 10 sekund</translation>
    </message>
    <message>
        <source>Every minute</source>
        <translation>Každou minutu</translation>
    </message>
    <message>
        <source>Show level</source>
        <translation>Zobrazit úroveň</translation>
    </message>
    <message>
        <source>Show RSRP</source>
        <translation>Zobrazit RSRP</translation>
    </message>
    <message>
        <source>Show SINR</source>
        <translation>Zobrazit SINR</translation>
    </message>
    <message>
        <source>RSRP</source>
        <translation>RSRP</translation>
    </message>
    <message>
        <source>RSRP History</source>
        <translation>Historie RSRP</translation>
    </message>
    <message>
        <source>SINR</source>
        <translation>SINR</translation>
    </message>
    <message>
        <source>SINR History</source>
        <translation>Historie SINR</translation>
    </message>
    <message>
        <source>Search for &amp;networks...</source>
        <translation>Hledat &amp;sítě...</translation>
    </message>
    <message>
        <source>%1 was not added to the operator table: %2</source>
        <translation>Síť %1 nebyla přidána do tabulky operátorů: %2</translation>
    </message>
    <message>
        <source>%1 (%2) was added to the operator table.</source>
        <translation>Síť %1 (%2) byla přidána do tabulky operátorů.</translation>
    </message>
</context>
</TS>
