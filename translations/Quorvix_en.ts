<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CheckReport</name>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: all in place.</source>
        <translation>
            <numerusform>Checked %Ln link in %1: all in place.</numerusform>
            <numerusform>Checked %Ln links in %1: all in place.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: %2 in place, %3 elsewhere, %4 missing, %5 not a link.</source>
        <translation>
            <numerusform>Checked %Ln link in %1: %2 in place, %3 elsewhere, %4 missing, %5 not a link.</numerusform>
            <numerusform>Checked %Ln links in %1: %2 in place, %3 elsewhere, %4 missing, %5 not a link.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) point into %1.</source>
        <translation>
            <numerusform>%Ln link points into %1.</numerusform>
            <numerusform>%Ln links point into %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln other entry(ies) in the link folders.</source>
        <translation>
            <numerusform>%Ln other entry in the link folders.</numerusform>
            <numerusform>%Ln other entries in the link folders.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Missing (%Ln)</source>
        <translation>
            <numerusform>Missing (%Ln)</numerusform>
            <numerusform>Missing (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Naming another file (%Ln)</source>
        <translation>
            <numerusform>Naming another file (%Ln)</numerusform>
            <numerusform>Naming another file (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Not a link (%Ln)</source>
        <translation>
            <numerusform>Not a link (%Ln)</numerusform>
            <numerusform>Not a link (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Not expected (%Ln)</source>
        <translation>
            <numerusform>Not expected (%Ln)</numerusform>
            <numerusform>Not expected (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: none repaired.</source>
        <translation>
            <numerusform>Checked %Ln link in %1: none repaired.</numerusform>
            <numerusform>Checked %Ln links in %1: none repaired.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repaired %Ln link(s) in %1: %2 made, %3 rewritten.</source>
        <translation>
            <numerusform>Repaired %Ln link in %1: %2 made, %3 rewritten.</numerusform>
            <numerusform>Repaired %Ln links in %1: %2 made, %3 rewritten.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) could not be repaired.</source>
        <translation>
            <numerusform>%Ln link could not be repaired.</numerusform>
            <numerusform>%Ln links could not be repaired.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln entry(ies) under a link&apos;s name are not links: left as they are.</source>
        <translation>
            <numerusform>%Ln entry under a link&apos;s name is not a link: left as it is.</numerusform>
            <numerusform>%Ln entries under a link&apos;s name are not links: left as they are.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Not rewritten (%Ln)</source>
        <translation>
            <numerusform>Not rewritten (%Ln)</numerusform>
            <numerusform>Not rewritten (%Ln)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DetailsWindow</name>
    <message numerus="yes">
        <source>… and %Ln more line(s)</source>
        <translation>
            <numerusform>… and %Ln more line</numerusform>
            <numerusform>… and %Ln more lines</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more, not listed</source>
        <translation>
            <numerusform>… and %Ln more, not listed</numerusform>
            <numerusform>… and %Ln more, not listed</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RunStatus</name>
    <message numerus="yes">
        <source>Finished %Ln move(s) that an interrupted run had left.</source>
        <translation>
            <numerusform>Finished %Ln move that an interrupted run had left.</numerusform>
            <numerusform>Finished %Ln moves that an interrupted run had left.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Made %Ln link(s) that an interrupted run had left.</source>
        <translation>
            <numerusform>Made %Ln link that an interrupted run had left.</numerusform>
            <numerusform>Made %Ln links that an interrupted run had left.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln file</numerusform>
            <numerusform>%Ln files</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s)</source>
        <translation>
            <numerusform>%Ln link</numerusform>
            <numerusform>%Ln links</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) stayed in %1 with their links.</source>
        <translation>
            <numerusform>%Ln file stayed in %1 with its links.</numerusform>
            <numerusform>%Ln files stayed in %1 with their links.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) were left as they were.</source>
        <translation>
            <numerusform>%Ln link was left as it was.</numerusform>
            <numerusform>%Ln links were left as they were.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln to link (%1)</source>
        <translation>
            <numerusform>%Ln to link (%1)</numerusform>
            <numerusform>%Ln to link (%1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) match %1 in %2: %3.</source>
        <translation>
            <numerusform>%Ln file matches %1 in %2: %3.</numerusform>
            <numerusform>%Ln files match %1 in %2: %3.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) match %1 in %2: %3, %4 without energy and number.</source>
        <translation>
            <numerusform>%Ln file matches %1 in %2: %3, %4 without energy and number.</numerusform>
            <numerusform>%Ln files match %1 in %2: %3, %4 without energy and number.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) would stay, the new name taken in %1.</source>
        <translation>
            <numerusform>%Ln file would stay, its new name taken in %1.</numerusform>
            <numerusform>%Ln files would stay, their new name taken in %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Last run: %1 by %2, %Ln file(s).</source>
        <translation>
            <numerusform>Last run: %1 by %2, %Ln file.</numerusform>
            <numerusform>Last run: %1 by %2, %Ln files.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln more reason(s)</source>
        <translation>
            <numerusform>%Ln more reason</numerusform>
            <numerusform>%Ln more reasons</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) were not moved: %1.</source>
        <translation>
            <numerusform>%Ln file was not moved: %1.</numerusform>
            <numerusform>%Ln files were not moved: %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) were not made: %1.</source>
        <translation>
            <numerusform>%Ln link was not made: %1.</numerusform>
            <numerusform>%Ln links were not made: %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) were still being written and stay in %1.</source>
        <translation>
            <numerusform>%Ln file was still being written and stays in %1.</numerusform>
            <numerusform>%Ln files were still being written and stay in %1.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Last run: followed %1–%2 by %3, %Ln file(s).</source>
        <translation>
            <numerusform>Last run: followed %1–%2 by %3, %Ln file.</numerusform>
            <numerusform>Last run: followed %1–%2 by %3, %Ln files.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Following %1 since %2: %Ln file(s) tidied, %3 settling.</source>
        <translation>
            <numerusform>Following %1 since %2: %Ln file tidied, %3 settling.</numerusform>
            <numerusform>Following %1 since %2: %Ln files tidied, %3 settling.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SurveyReport</name>
    <message numerus="yes">
        <source>%Ln energy(ies)</source>
        <translation>
            <numerusform>%Ln energy</numerusform>
            <numerusform>%Ln energies</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln projection(s)</source>
        <translation>
            <numerusform>%Ln projection</numerusform>
            <numerusform>%Ln projections</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln missing</source>
        <translation>
            <numerusform>%Ln missing</numerusform>
            <numerusform>%Ln missing</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln duplicate(s)</source>
        <translation>
            <numerusform>%Ln duplicate</numerusform>
            <numerusform>%Ln duplicates</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more energy(ies).</source>
        <translation>
            <numerusform>… and %Ln more energy.</numerusform>
            <numerusform>… and %Ln more energies.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) without energy and number, not in any grid.</source>
        <translation>
            <numerusform>%Ln file without energy and number, not in any grid.</numerusform>
            <numerusform>%Ln files without energy and number, not in any grid.</numerusform>
        </translation>
    </message>
</context>
</TS>
