<?xml version="1.0" encoding="utf-8"?>
<!-- SPDX-License-Identifier: MIT -->
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Body</name>
    <message>
        <source>Quorvix Data</source>
        <translation>Quorvix Data データ整理</translation>
    </message>
    <message>
        <source>Exec</source>
        <translation>実行</translation>
    </message>
    <message>
        <source>The dir [%1] is not in [%2].</source>
        <translation>ディレクトリ [%1] が [%2] にありません。</translation>
    </message>
    <message>
        <source>The entry [%1] in [%2] is not directory.</source>
        <translation>[%2] の [%1] はディレクトリではありません。</translation>
    </message>
</context>
<context>
    <name>DirSelector</name>
    <message>
        <source>Frame</source>
        <translation>フレーム</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>対象</translation>
    </message>
    <message>
        <source>Select</source>
        <translation>選択</translation>
    </message>
</context>
<context>
    <name>TidyUpInfo</name>
    <message>
        <source>Tidy Up Info</source>
        <translation>整理の設定</translation>
    </message>
    <message>
        <source>Original Files</source>
        <translation>元ファイル</translation>
    </message>
    <message>
        <source>SeqNo0</source>
        <translation>連番0</translation>
    </message>
    <message>
        <source>File Ext.</source>
        <translation>拡張子</translation>
    </message>
    <message>
        <source>Tidy Up by Eng.</source>
        <translation>エネルギー別</translation>
    </message>
    <message>
        <source>Dirs where files and links stored</source>
        <translation>ファイルとリンクの保存先</translation>
    </message>
    <message>
        <source>Energy0</source>
        <translation>エネルギー0</translation>
    </message>
    <message>
        <source>Tidy Up by seq. No.</source>
        <translation>連番別</translation>
    </message>
    <message>
        <source>Origs0</source>
        <translation>元データ0</translation>
    </message>
    <message>
        <source>img</source>
        <translation>img</translation>
    </message>
</context>
</TS>
