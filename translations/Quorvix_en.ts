<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: MIT -->
<!-- Only the plural forms: every other text is written in English in the code. -->
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>RunStatus</name>
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
        <source>%Ln file(s) were not moved.</source>
        <translation>
            <numerusform>%Ln file was not moved.</numerusform>
            <numerusform>%Ln files were not moved.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) were not made.</source>
        <translation>
            <numerusform>%Ln link was not made.</numerusform>
            <numerusform>%Ln links were not made.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more line(s)</source>
        <translation>
            <numerusform>… and %Ln more line</numerusform>
            <numerusform>… and %Ln more lines</numerusform>
        </translation>
    </message>
</context>
</TS>
