<?xml version="1.0" encoding="utf-8"?>
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
    <message>
        <source>Options</source>
        <translation>オプション</translation>
    </message>
    <message>
        <source>Relative links</source>
        <translation>相対リンク</translation>
    </message>
    <message>
        <source>Links name the moved files from their own folders, and still do once the scan is moved or copied whole.</source>
        <translation>リンクは自分のフォルダーから移動したファイルを指します。スキャンを丸ごと移動またはコピーしても指したままです。</translation>
    </message>
    <message>
        <source>Follow the scan</source>
        <translation>測定を追って整理</translation>
    </message>
    <message>
        <source>Exec goes on while the measurement is written: each file is tidied once it has settled, until Stop.</source>
        <translation>Exec は測定の書き込み中も続き、書き終わったファイルから整理します（中止まで）。</translation>
    </message>
</context>
<context>
    <name>CheckReport</name>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: all in place.</source>
        <translation>
            <numerusform>%1 のリンク %Ln 件を確認しました: すべて正しい位置にあります。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: %2 in place, %3 elsewhere, %4 missing, %5 not a link.</source>
        <translation>
            <numerusform>%1 のリンク %Ln 件を確認しました: 正しい位置 %2、別の場所を指す %3、欠落 %4、リンクでないもの %5。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) point into %1.</source>
        <translation>
            <numerusform>%Ln 件のリンクが %1 を指しています。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln other entry(ies) in the link folders.</source>
        <translation>
            <numerusform>リンクフォルダーにその他の項目が %Ln 件あります。</numerusform>
        </translation>
    </message>
    <message>
        <source>The check was stopped before the end.</source>
        <translation>確認は途中で停止しました。</translation>
    </message>
    <message numerus="yes">
        <source>Missing (%Ln)</source>
        <translation>
            <numerusform>欠落 (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Naming another file (%Ln)</source>
        <translation>
            <numerusform>別のファイルを指す (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Not a link (%Ln)</source>
        <translation>
            <numerusform>リンクでない (%Ln)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Not expected (%Ln)</source>
        <translation>
            <numerusform>想定外 (%Ln)</numerusform>
        </translation>
    </message>
    <message>
        <source>names %1</source>
        <translation>%1 を指しています</translation>
    </message>
    <message>
        <source>not a symbolic link</source>
        <translation>シンボリックリンクではありません</translation>
    </message>
    <message>
        <source>should name %1</source>
        <translation>%1 を指すはずです</translation>
    </message>
    <message numerus="yes">
        <source>Checked %Ln link(s) in %1: none repaired.</source>
        <translation>
            <numerusform>%1 のリンク %Ln 件を確認しました: 修復したものはありません。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Repaired %Ln link(s) in %1: %2 made, %3 rewritten.</source>
        <translation>
            <numerusform>%1 のリンク %Ln 件を修復しました: 作成 %2、書き換え %3。</numerusform>
        </translation>
    </message>
    <message>
        <source>The links made are relative.</source>
        <translation>作成したリンクは相対パスです。</translation>
    </message>
    <message>
        <source>Stopped at %1: %2.</source>
        <translation>%1 で停止しました: %2。</translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) could not be repaired.</source>
        <translation>
            <numerusform>%Ln 件のリンクを修復できませんでした。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln entry(ies) under a link&apos;s name are not links: left as they are.</source>
        <translation>
            <numerusform>リンクの名前にある %Ln 件の項目はリンクではありません: そのままにしました。</numerusform>
        </translation>
    </message>
    <message>
        <source>The repair was stopped before the end.</source>
        <translation>修復は途中で停止しました。</translation>
    </message>
    <message numerus="yes">
        <source>Not rewritten (%Ln)</source>
        <translation>
            <numerusform>書き換えられなかったもの (%Ln)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Can&apos;t read the settings from %1.</source>
        <translation>%1 から設定を読み込めません。</translation>
    </message>
    <message>
        <source>No target: give --target DIR, or Default_Dir in the settings.</source>
        <translation>対象がありません: --target DIR を指定するか、設定に Default_Dir を書いてください。</translation>
    </message>
    <message>
        <source>Moves the data files of a scan into the originals directory and links them by energy and by sequence number.</source>
        <translation>スキャンのデータファイルをオリジナルディレクトリへ移動し、エネルギー別と連番別にリンクします。</translation>
    </message>
    <message>
        <source>Tidy up the target, as Exec does, without a window.</source>
        <translation>ウィンドウなしで、実行ボタンと同じように対象を整理します。</translation>
    </message>
    <message>
        <source>Say what a run would do, and change nothing.</source>
        <translation>実行した場合の内容を表示し、何も変更しません。</translation>
    </message>
    <message>
        <source>The directory of the scan.</source>
        <translation>スキャンのディレクトリ。</translation>
    </message>
    <message>
        <source>dir</source>
        <translation>ディレクトリ</translation>
    </message>
    <message>
        <source>Where the data files are moved.</source>
        <translation>データファイルの移動先。</translation>
    </message>
    <message>
        <source>name</source>
        <translation>名前</translation>
    </message>
    <message>
        <source>Where the per-energy links go.</source>
        <translation>エネルギー別リンクの置き場所。</translation>
    </message>
    <message>
        <source>Where the per-projection links go.</source>
        <translation>投影別リンクの置き場所。</translation>
    </message>
    <message>
        <source>The extension of the data files, without the dot.</source>
        <translation>データファイルの拡張子 (ドットなし)。</translation>
    </message>
    <message>
        <source>ext</source>
        <translation>拡張子</translation>
    </message>
    <message>
        <source>Read the settings from this file.</source>
        <translation>このファイルから設定を読み込みます。</translation>
    </message>
    <message>
        <source>file</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>The same, used when -c gives no name.</source>
        <translation>同上。-c で名前が指定されないときに使います。</translation>
    </message>
    <message>
        <source>English texts.</source>
        <translation>英語で表示します。</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>不明な引数: %1</translation>
    </message>
    <message>
        <source>Write JSON Lines on standard output: a line for each failure, then the outcome.</source>
        <translation>標準出力に JSON Lines を書きます: 失敗ごとに 1 行、最後に結果。</translation>
    </message>
    <message>
        <source>Undo the newest run of the target that is not undone yet, from its record.</source>
        <translation>対象のまだ取り消していない最新の実行を、その記録から取り消します。</translation>
    </message>
    <message>
        <source>No display to show the window on. To tidy up from a terminal, use --run; see --help.</source>
        <translation>ウィンドウを表示するディスプレイがありません。端末から整理するには --run を使ってください (--help を参照)。</translation>
    </message>
    <message>
        <source>How the links name the moved files: absolute (their paths, the default) or relative (from the link&apos;s folder, which holds when the scan is moved).</source>
        <translation>リンクが移動したファイルを指す方法: absolute (ファイルのパス、既定) または relative (リンクのフォルダーから。スキャンを移動しても有効)。</translation>
    </message>
    <message>
        <source>Unknown link style &quot;%1&quot;: give absolute or relative.</source>
        <translation>リンクの方式「%1」は不明です: absolute か relative を指定してください。</translation>
    </message>
    <message>
        <source>Check the link trees of the target: every link a data file expects, and what else the link folders hold. Changes nothing.</source>
        <translation>対象のリンクツリーを確認します: データファイルが必要とする各リンクと、リンクフォルダーにあるその他の項目。何も変更しません。</translation>
    </message>
    <message>
        <source>Make the links that are missing and rewrite those naming another file, in the style of --links, else the one the newest run gave them. Nothing else is changed.</source>
        <translation>欠落したリンクを作成し、別のファイルを指すリンクを書き換えます。方式は --links、指定がなければ最新の実行のものです。それ以外は何も変更しません。</translation>
    </message>
    <message>
        <source>Repair, and rewrite every link into this style.</source>
        <translation>修復し、すべてのリンクをこの方式に書き換えます。</translation>
    </message>
    <message>
        <source>Say the shape of the scan, from the target and the originals directory: for each series its energies and projections, and every projection missing. Changes nothing.</source>
        <translation>対象とオリジナルのディレクトリから、スキャンの形を表示します: 系列ごとのエネルギーと投影、欠けている投影すべて。何も変更しません。</translation>
    </message>
    <message>
        <source>Tidy up the target as a run does, and go on while the measurement is written: each file once it has settled. Ends on SIGINT, SIGTERM or SIGHUP, or with --until-idle.</source>
        <translation>実行と同じように対象を整理し、測定の書き込み中も続けます: 各ファイルは落ち着いてから移動します。SIGINT、SIGTERM、SIGHUP、または --until-idle で終了します。</translation>
    </message>
    <message>
        <source>How long a file&apos;s size and time must stay the same before it is moved, in seconds (default 10, or Settle_Seconds).</source>
        <translation>ファイルを移動する前に、サイズと時刻が変わらずにいるべき時間 (秒、既定は 10 または Settle_Seconds)。</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>The longest wait between two looks at the target, in seconds (default 2).</source>
        <translation>対象を見に行く間隔の最長 (秒、既定は 2)。</translation>
    </message>
    <message>
        <source>End once nothing has settled or arrived for this long, in seconds.</source>
        <translation>この時間 (秒) 何も落ち着かず届かなければ終了します。</translation>
    </message>
    <message>
        <source>Give one of --run, --dry-run, --undo, --check, --repair, --survey and --follow.</source>
        <translation>--run、--dry-run、--undo、--check、--repair、--survey、--follow のうち一つを指定してください。</translation>
    </message>
    <message>
        <source>--%1 goes with --follow.</source>
        <translation>--%1 は --follow と一緒に指定してください。</translation>
    </message>
    <message>
        <source>--%1 takes seconds, 0.1 or more: %2</source>
        <translation>--%1 には 0.1 以上の秒数を指定してください: %2</translation>
    </message>
    <message>
        <source>Settle_Seconds takes seconds, 0.1 or more: %1</source>
        <translation>Settle_Seconds には 0.1 以上の秒数を指定してください: %1</translation>
    </message>
</context>
<context>
    <name>DetailsWindow</name>
    <message>
        <source>Details</source>
        <translation>詳細</translation>
    </message>
    <message>
        <source>What</source>
        <translation>種類</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>理由</translation>
    </message>
    <message>
        <source>Copy the outcome and every line the run wrote</source>
        <translation>結果と実行が書いたすべての行をコピーします</translation>
    </message>
    <message>
        <source>&amp;Copy All</source>
        <translation>すべてコピー(&amp;C)</translation>
    </message>
    <message>
        <source>Save the outcome and every line the run wrote as a text file</source>
        <translation>結果と実行が書いたすべての行をテキストファイルに保存します</translation>
    </message>
    <message>
        <source>&amp;Save…</source>
        <translation>保存(&amp;S)…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more line(s)</source>
        <translation>
            <numerusform>… ほか %Ln 行</numerusform>
        </translation>
    </message>
    <message>
        <source>Not moved back</source>
        <translation>戻せなかったファイル</translation>
    </message>
    <message>
        <source>Not moved</source>
        <translation>移動できなかったファイル</translation>
    </message>
    <message>
        <source>Link left</source>
        <translation>残したリンク</translation>
    </message>
    <message>
        <source>Link not made</source>
        <translation>作れなかったリンク</translation>
    </message>
    <message>
        <source>Output directory</source>
        <translation>出力ディレクトリ</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>記録</translation>
    </message>
    <message>
        <source>%1: %2 (%3)</source>
        <translation>%1: %2 (%3)</translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more, not listed</source>
        <translation>
            <numerusform>… ほか %Ln 件 (一覧にありません)</numerusform>
        </translation>
    </message>
    <message>
        <source>Save Details</source>
        <translation>詳細の保存</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>テキストファイル (*.txt)</translation>
    </message>
    <message>
        <source>Can&apos;t save %1: %2</source>
        <translation>%1 を保存できません: %2</translation>
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
    <name>QCommandLineParser</name>
    <message>
        <source>Displays help on commandline options.</source>
        <translation>コマンドラインオプションのヘルプを表示します。</translation>
    </message>
    <message>
        <source>Displays help including Qt specific options.</source>
        <translation>Qt 固有のオプションを含むヘルプを表示します。</translation>
    </message>
</context>
<context>
    <name>Reason</name>
    <message>
        <source>the file was opened for writing during the copy</source>
        <translation>コピー中にファイルが書き込み用に開かれました</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>停止しました</translation>
    </message>
    <message>
        <source>the file is open for writing</source>
        <translation>ファイルが書き込み用に開かれています</translation>
    </message>
    <message>
        <source>the file was written to during the copy</source>
        <translation>コピー中にファイルが書き込まれました</translation>
    </message>
    <message>
        <source>the same file under both names: a move was interrupted</source>
        <translation>同じファイルが両方の名前にあります: 移動が中断されました</translation>
    </message>
    <message>
        <source>changed since the run</source>
        <translation>実行後に変更されています</translation>
    </message>
    <message>
        <source>File exists</source>
        <translation>ファイルが存在します</translation>
    </message>
    <message>
        <source>No such file or directory</source>
        <translation>そのようなファイルやディレクトリはありません</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>許可がありません</translation>
    </message>
    <message>
        <source>Operation not permitted</source>
        <translation>操作は許可されていません</translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation>デバイスに空き領域がありません</translation>
    </message>
    <message>
        <source>Disk quota exceeded</source>
        <translation>ディスク使用量の制限を超えました</translation>
    </message>
    <message>
        <source>Read-only file system</source>
        <translation>読み込み専用のファイルシステムです</translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation>入出力エラーです</translation>
    </message>
    <message>
        <source>Not a directory</source>
        <translation>ディレクトリではありません</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>ディレクトリです</translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation>ファイル名が長すぎます</translation>
    </message>
    <message>
        <source>Too many links</source>
        <translation>リンクが多すぎます</translation>
    </message>
    <message>
        <source>Device or resource busy</source>
        <translation>デバイスまたはリソースが使用中です</translation>
    </message>
    <message>
        <source>Stale file handle</source>
        <translation>古いファイルハンドルです</translation>
    </message>
    <message>
        <source>Invalid cross-device link</source>
        <translation>デバイスをまたぐリンクはできません</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>the folder is a symbolic link</source>
        <translation>フォルダーがシンボリックリンクです</translation>
    </message>
    <message>
        <source>could not be made</source>
        <translation>作成できませんでした</translation>
    </message>
    <message>
        <source>the folder of the records could not be made</source>
        <translation>記録のフォルダーを作成できませんでした</translation>
    </message>
    <message>
        <source>the line&apos;s fields are not the ones a run writes</source>
        <translation>行の項目が実行の書く形ではありません</translation>
    </message>
    <message>
        <source>the line was cut short</source>
        <translation>行が途中で切れています</translation>
    </message>
    <message>
        <source>the directory is not an output directory of the run or a parent of one</source>
        <translation>ディレクトリが実行の出力ディレクトリでもその親でもありません</translation>
    </message>
    <message>
        <source>the line is not one a run writes</source>
        <translation>実行が書く行ではありません</translation>
    </message>
    <message>
        <source>the line&apos;s number is not one of the run&apos;s</source>
        <translation>行の番号が実行のものではありません</translation>
    </message>
    <message>
        <source>the line does not have four fields</source>
        <translation>行に 4 つの項目がありません</translation>
    </message>
    <message>
        <source>the files are not numbered in order</source>
        <translation>ファイルの番号が順番どおりではありません</translation>
    </message>
    <message>
        <source>a name is not a plain file name</source>
        <translation>名前が単純なファイル名ではありません</translation>
    </message>
    <message>
        <source>the new name is not the one a run gives the old</source>
        <translation>新しい名前が、実行が元の名前から付けるものではありません</translation>
    </message>
    <message>
        <source>the old name could not be removed</source>
        <translation>元の名前を削除できませんでした</translation>
    </message>
    <message>
        <source>the file is under both names</source>
        <translation>ファイルが両方の名前で残っています</translation>
    </message>
    <message>
        <source>not repaired: the repair stopped</source>
        <translation>修復されていません: 修復が停止しました</translation>
    </message>
    <message>
        <source>refused by the file system</source>
        <translation>ファイルシステムが拒否しました</translation>
    </message>
    <message>
        <source>changed since the check</source>
        <translation>確認後に変更されています</translation>
    </message>
</context>
<context>
    <name>RunStatus</name>
    <message numerus="yes">
        <source>Finished %Ln move(s) that an interrupted run had left.</source>
        <translation>
            <numerusform>中断された実行が残した %Ln 件の移動を完了しました。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Made %Ln link(s) that an interrupted run had left.</source>
        <translation>
            <numerusform>中断された実行が残した %Ln 個のリンクを作成しました。</numerusform>
        </translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>詳細</translation>
    </message>
    <message>
        <source>Nothing was moved.</source>
        <translation>何も移動していません。</translation>
    </message>
    <message>
        <source>No file matches %1 in %2.</source>
        <translation>%2 には %1 に一致するファイルがありません。</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s)</source>
        <translation>
            <numerusform>%Ln 個のファイル</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s)</source>
        <translation>
            <numerusform>%Ln 個のリンク</numerusform>
        </translation>
    </message>
    <message>
        <source>Stopped after %1 of %2: moved %3 and made %4.</source>
        <translation>%2のうち %1 件で停止しました。%3を移動し、%4を作成しました。</translation>
    </message>
    <message>
        <source>Moved %1 into %2 and made %3 in %4 s.</source>
        <translation>%1を %2 に移動し、%3を作成しました（%4 秒）。</translation>
    </message>
    <message>
        <source>Listing the files…</source>
        <translation>ファイルを一覧中…</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 / %2</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>停止中…</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Stopped after %1 of %2: moved %3 back and removed %4.</source>
        <translation>%2 のうち %1 件で中止しました: %3 を戻し、%4 を削除しました。</translation>
    </message>
    <message>
        <source>Moved %1 back to %2 and removed %3.</source>
        <translation>%1 を %2 に戻し、%3 を削除しました。</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) stayed in %1 with their links.</source>
        <translation>
            <numerusform>%Ln 個のファイルはリンクとともに %1 に残りました。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) were left as they were.</source>
        <translation>
            <numerusform>%Ln 個のリンクはそのまま残しました。</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 does not exist.</source>
        <translation>%1 は存在しません。</translation>
    </message>
    <message>
        <source>%1 is not a directory.</source>
        <translation>%1 はディレクトリではありません。</translation>
    </message>
    <message>
        <source>none to link</source>
        <translation>リンク対象なし</translation>
    </message>
    <message numerus="yes">
        <source>%Ln to link (%1)</source>
        <translation>
            <numerusform>リンク対象 %Ln 件 (%1)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) match %1 in %2: %3.</source>
        <translation>
            <numerusform>%2 で %1 に一致するファイル %Ln 個: %3。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) match %1 in %2: %3, %4 without energy and number.</source>
        <translation>
            <numerusform>%2 で %1 に一致するファイル %Ln 個: %3、エネルギーと番号のないもの %4 個。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) would stay, the new name taken in %1.</source>
        <translation>
            <numerusform>%Ln 個のファイルは新しい名前が %1 で使われているため残ります。</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 will be created.</source>
        <translation>%1 を作成します。</translation>
    </message>
    <message>
        <source>%1 and %2 will be created.</source>
        <translation>%1 と %2 を作成します。</translation>
    </message>
    <message>
        <source>%1, %2 and %3 will be created.</source>
        <translation>%1、%2、%3 を作成します。</translation>
    </message>
    <message numerus="yes">
        <source>Last run: %1 by %2, %Ln file(s).</source>
        <translation>
            <numerusform>前回の実行: %1、%2、%Ln 個のファイル。</numerusform>
        </translation>
    </message>
    <message>
        <source>d MMM yyyy HH:mm</source>
        <translation>yyyy年M月d日 HH:mm</translation>
    </message>
    <message>
        <source>the new name is taken</source>
        <translation>新しい名前が使われています</translation>
    </message>
    <message>
        <source>the name is taken</source>
        <translation>名前が使われています</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>ディスクがいっぱいです</translation>
    </message>
    <message>
        <source>the quota is used up</source>
        <translation>クォータを使い切りました</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>許可がありません</translation>
    </message>
    <message>
        <source>refused by the file system</source>
        <translation>ファイルシステムが拒否しました</translation>
    </message>
    <message>
        <source>not a directory</source>
        <translation>ディレクトリではありません</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>%Ln more reason(s)</source>
        <translation>
            <numerusform>ほか %Ln 件の理由</numerusform>
        </translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) were not moved: %1.</source>
        <translation>
            <numerusform>%Ln 個のファイルは移動されませんでした: %1。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln link(s) were not made: %1.</source>
        <translation>
            <numerusform>%Ln 個のリンクは作成されませんでした: %1。</numerusform>
        </translation>
    </message>
    <message>
        <source>The links will be relative.</source>
        <translation>リンクは相対パスになります。</translation>
    </message>
    <message>
        <source>Check</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Check that every link of the link trees names its file.</source>
        <translation>リンクツリーの各リンクがそのファイルを指しているか確認します。</translation>
    </message>
    <message>
        <source>Repair</source>
        <translation>修復</translation>
    </message>
    <message>
        <source>Make the missing links and rewrite those naming another file.</source>
        <translation>欠落したリンクを作成し、別のファイルを指すリンクを書き換えます。</translation>
    </message>
    <message>
        <source>This scan was tidied as %1.</source>
        <translation>このスキャンは %1 として整理されました。</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) were still being written and stay in %1.</source>
        <translation>
            <numerusform>%Ln 個のファイルはまだ書き込み中のため %1 に残ります。</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Last run: followed %1–%2 by %3, %Ln file(s).</source>
        <translation>
            <numerusform>前回の実行: %3 が %1–%2 に追従、%Ln 個のファイル。</numerusform>
        </translation>
    </message>
    <message>
        <source>HH:mm</source>
        <translation>HH:mm</translation>
    </message>
    <message numerus="yes">
        <source>Following %1 since %2: %Ln file(s) tidied, %3 settling.</source>
        <translation>
            <numerusform>%2 から %1 を追跡中：%Ln 個のファイルを整理、%3 個が書き込み中。</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ScanView</name>
    <message>
        <source>Scan</source>
        <translation>スキャン</translation>
    </message>
    <message>
        <source>%1 eV</source>
        <translation>%1 eV</translation>
    </message>
    <message>
        <source>projection</source>
        <translation>投影</translation>
    </message>
    <message>
        <source>Save Picture…</source>
        <translation>画像を保存…</translation>
    </message>
    <message>
        <source>Save Picture</source>
        <translation>画像を保存</translation>
    </message>
    <message>
        <source>scan.png</source>
        <translation>scan.png</translation>
    </message>
    <message>
        <source>PNG pictures (*.png)</source>
        <translation>PNG 画像 (*.png)</translation>
    </message>
    <message>
        <source>Can&apos;t save the picture to %1.</source>
        <translation>画像を %1 に保存できません。</translation>
    </message>
</context>
<context>
    <name>SurveyReport</name>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
    <message numerus="yes">
        <source>%Ln energy(ies)</source>
        <translation>
            <numerusform>%Ln エネルギー</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln projection(s)</source>
        <translation>
            <numerusform>%Ln 投影</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2, complete.</source>
        <translation>%1: %2、欠けなし。</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%2 で %1</translation>
    </message>
    <message numerus="yes">
        <source>%Ln missing</source>
        <translation>
            <numerusform>%Ln 個欠落</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%Ln duplicate(s)</source>
        <translation>
            <numerusform>%Ln 個重複</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2, %3.</source>
        <translation>%1: %2、%3。</translation>
    </message>
    <message>
        <source>, </source>
        <translation>、</translation>
    </message>
    <message>
        <source>%1, %2 eV: missing %3.</source>
        <translation>%1、%2 eV: %3 が欠落。</translation>
    </message>
    <message numerus="yes">
        <source>… and %Ln more energy(ies).</source>
        <translation>
            <numerusform>… ほかに %Ln エネルギー。</numerusform>
        </translation>
    </message>
    <message>
        <source>No file with energy and number matches %1 in %2.</source>
        <translation>%2 には %1 に一致するエネルギーと番号のあるファイルがありません。</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) without energy and number, not in any grid.</source>
        <translation>
            <numerusform>エネルギーと番号のないファイル %Ln 個はグリッドに含まれません。</numerusform>
        </translation>
    </message>
    <message>
        <source>Stopped before every name was read.</source>
        <translation>すべての名前を読む前に停止しました。</translation>
    </message>
    <message>
        <source>complete</source>
        <translation>欠けなし</translation>
    </message>
    <message>
        <source>tidied</source>
        <translation>整理済み</translation>
    </message>
    <message>
        <source>waiting</source>
        <translation>待機中</translation>
    </message>
    <message>
        <source>missing</source>
        <translation>欠落</translation>
    </message>
    <message>
        <source>duplicate</source>
        <translation>重複</translation>
    </message>
    <message>
        <source>%1 tidied</source>
        <translation>整理済み %1</translation>
    </message>
    <message>
        <source>%1 waiting</source>
        <translation>待機中 %1</translation>
    </message>
    <message>
        <source>%1 missing</source>
        <translation>欠落 %1</translation>
    </message>
    <message>
        <source>%1 duplicate</source>
        <translation>重複 %1</translation>
    </message>
    <message>
        <source> · </source>
        <translation> · </translation>
    </message>
    <message>
        <source>%1 eV, projection %2: %3, %4</source>
        <translation>%1 eV、投影 %2: %3、%4</translation>
    </message>
</context>
<context>
    <name>TidyUp</name>
    <message>
        <source>Can&apos;t keep a record of the run in %1: %2.</source>
        <translation>%1 に実行の記録を残せません: %2。</translation>
    </message>
    <message>
        <source>No run of %1 is left to undo.</source>
        <translation>%1 に取り消せる実行はありません。</translation>
    </message>
    <message>
        <source>A run of %1 is still going.</source>
        <translation>%1 の実行がまだ続いています。</translation>
    </message>
    <message>
        <source>The last run of %1 used other output directories; name them as it did to undo it.</source>
        <translation>%1 の最後の実行は別の出力ディレクトリを使いました。取り消すには、その実行と同じ名前にしてください。</translation>
    </message>
    <message>
        <source>Relative links need the output directories inside the target.</source>
        <translation>相対リンクには、出力ディレクトリが対象ディレクトリの中にある必要があります。</translation>
    </message>
    <message>
        <source>%1 is not a directory.</source>
        <translation>%1 はディレクトリではありません。</translation>
    </message>
    <message>
        <source>%1 holds no tidied scan: %2 is missing.</source>
        <translation>%1 には整理済みのスキャンがありません: %2 がありません。</translation>
    </message>
    <message>
        <source>A repair of %1 is still going.</source>
        <translation>%1 の修復がまだ続いています。</translation>
    </message>
    <message>
        <source>Can&apos;t keep a record of the repair in %1: %2.</source>
        <translation>%1 に修復の記録を残せません: %2。</translation>
    </message>
    <message>
        <source>A follow of %1 is going; stop it first.</source>
        <translation>%1 の追従が実行中です。先に停止してください。</translation>
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
