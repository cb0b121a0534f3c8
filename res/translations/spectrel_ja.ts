<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>QObject</name>
    <message>
        <location filename="../../src/app/settings_actions.cpp" line="+31"/>
        <source>The measurement settings are kept in the profile file.</source>
        <translation>計測設定はプロファイルファイルに保存されています。</translation>
    </message>
</context>
<context>
    <name>spectrel::CAboutDlg</name>
    <message>
        <location filename="../../src/app/about_dlg.cpp" line="+12"/>
        <source>About Spectrel</source>
        <translation>Spectrelのﾊﾞｰｼﾞｮﾝ情報</translation>
    </message>
    <message>
        <source>Build %1 (%2), Qt %3 (built with %4)
Licence: %5</source>
        <translation>ビルド %1 (%2)、Qt %3 (ビルド時 %4)
ライセンス: %5</translation>
    </message>
</context>
<context>
    <name>spectrel::CConfDlg</name>
    <message>
        <location filename="../../src/app/conf_dlg.cpp" line="+84"/>
        <source>Measurement Settings</source>
        <translation>計測設定</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>User Comment</source>
        <translation>データメモ</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Integration Range(nm)</source>
        <translation>積分区間(nm)</translation>
    </message>
    <message>
        <location line="+4"/>
        <location line="+158"/>
        <source>From</source>
        <translation>最小値</translation>
    </message>
    <message>
        <location line="-156"/>
        <location line="+158"/>
        <source>To</source>
        <translation>最大値</translation>
    </message>
    <message>
        <location line="-141"/>
        <source>Auto-Start  after
Software Starting</source>
        <translation>ソフトウェア起動時に
計測を自動で開始する</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>COM Port</source>
        <translation>COMポート</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>%1 (not available)</source>
        <translation>%1 (使用できません)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Measurement Time</source>
        <translation>計測時間</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>&amp;Start</source>
        <translation>開始(&amp;S)</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Finish</source>
        <translation>終了(&amp;F)</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>E&amp;very %1 minutes</source>
        <extracomment>The interval row: %1 is the number of minutes between two measurements.</extracomment>
        <translation>%1 分毎(&amp;V)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>KRF Format data</source>
        <translation>KRF形式データ</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Browse</source>
        <translation>参照</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>File Name:&quot;YYYYMMDD.KRF&quot; (Daily)</source>
        <translation>ファイル名：&quot;YYYYMMDD.KRF&quot; (日毎）</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>CSV Format data</source>
        <translation>CSV形式データ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save - File Name:&quot;YYYYMMDDHH.CSV&quot; (Hourly)</source>
        <translation>保存する - ファイル名：&quot;YYYYMMDDHH.CSV&quot; (時間毎）</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Wavelength Interval</source>
        <translation>波長ピッチ</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Raw</source>
        <translation>オリジナル</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Wavelength Range(nm)</source>
        <translation>波長範囲(nm)</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>Data Selection</source>
        <translation>データ選択</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Merge</source>
        <translation>マージ</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>B&amp;rowse</source>
        <translation>参照</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>Please enter an integer.</source>
        <translation>整数を入力してください。</translation>
    </message>
    <message>
        <location line="+82"/>
        <source>KRF File Folder</source>
        <translation>KRFファイルの保存先</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>CSV File Folder</source>
        <translation>CSVファイルの保存先</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>観測地点</translation>
    </message>
    <message>
        <source>%1   Latitude %2   Longitude %3   Altitude %4 m</source>
        <translation>%1   緯度 %2   経度 %3   標高 %4 m</translation>
    </message>
    <message>
        <source>this system&apos;s: %1</source>
        <translation>このシステムの値: %1</translation>
    </message>
    <message>
        <source>Time &amp;zone</source>
        <translation>タイムゾーン(&amp;Z)</translation>
    </message>
    <message>
        <source>%1 is not a time zone of this system (an IANA name such as Asia/Tokyo).</source>
        <translation>%1 はこのシステムのタイムゾーンではありません (Asia/Tokyo のような IANA 名)。</translation>
    </message>
</context>
<context>
    <name>spectrel::CDayOverview</name>
    <message>
        <source>W/m2/um</source>
        <translation>W/m2/um</translation>
    </message>
    <message>
        <source>%1  integral %2 W/m2</source>
        <translation>%1  積分値 %2 W/m2</translation>
    </message>
    <message>
        <source>%1  %2 nm  no value</source>
        <translation>%1  %2 nm  値なし</translation>
    </message>
    <message>
        <source>%1  %2 nm  %3 W/m2/um</source>
        <translation>%1  %2 nm  %3 W/m2/um</translation>
    </message>
    <message>
        <source>Live</source>
        <translation>ライブ</translation>
    </message>
    <message>
        <source>No points</source>
        <translation>点なし</translation>
    </message>
    <message>
        <source> h</source>
        <translation> 時間</translation>
    </message>
    <message>
        <source>%1   Station: %2   File: %3   Time zone: %4</source>
        <translation>%1   観測所: %2   ファイル: %3   タイムゾーン: %4</translation>
    </message>
    <message>
        <source>Integral irradiance (W/m2)</source>
        <translation>積分放射照度 (W/m2)</translation>
    </message>
    <message>
        <source>Wavelength (nm)</source>
        <translation>波長 (nm)</translation>
    </message>
    <message>
        <source>integral</source>
        <translation>積分値</translation>
    </message>
    <message>
        <source>a sensor failed</source>
        <translation>センサー異常</translation>
    </message>
    <message>
        <source>no measurement</source>
        <translation>計測なし</translation>
    </message>
    <message>
        <source>shown in the graph</source>
        <translation>グラフに表示中</translation>
    </message>
    <message>
        <source>Time: %1</source>
        <translation>時刻: %1</translation>
    </message>
</context>
<context>
    <name>spectrel::CGraphDlg</name>
    <message>
        <location filename="../../src/ui/graph_dlg.cpp" line="+52"/>
        <source>&amp;Grid Line</source>
        <translation>罫線</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Graph Settings</source>
        <translation>グラフ設定</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Y-Axis</source>
        <translation>Ｙ軸</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>X-Axis[nm]</source>
        <translation>Ｘ軸</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>From %1 To %2</source>
        <extracomment>The wavelength range row: %1 is the left end, %2 the right end of the axis.</extracomment>
        <translation>%1 nm ～ %2 nm</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Graph &amp;Color</source>
        <translation>グラフ色</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Frame Color</source>
        <translation>フレーム色</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>&amp;Apply</source>
        <translation>適用</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Please enter a number.</source>
        <translation>数値を入力してください。</translation>
    </message>
    <message>
        <source>A&amp;uto</source>
        <translation>AUTO</translation>
    </message>
</context>
<context>
    <name>spectrel::CIntDlg</name>
    <message>
        <location filename="../../src/ui/int_dlg.cpp" line="+14"/>
        <source>Abort</source>
        <translation>中止</translation>
    </message>
</context>
<context>
    <name>spectrel::CMainFrame</name>
    <message>
        <location filename="../../src/app/main_frame.cpp" line="+52"/>
        <source>&amp;Print...</source>
        <translation>印刷(&amp;P)...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Print Current Data</source>
        <translation>作業中のﾌｧｲﾙを印刷</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Print</source>
        <translation>印刷</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Print Pre&amp;view</source>
        <translation>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Print Preview</source>
        <translation>印刷ｲﾒｰｼﾞを表示</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Print Preview</source>
        <comment>tool tip</comment>
        <translation>印刷ﾌﾟﾚﾋﾞｭｰ</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>P&amp;rinter Setup...</source>
        <translation>ﾌﾟﾘﾝﾀの設定(&amp;R)...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Change Printer Setup</source>
        <translation>ﾌﾟﾘﾝﾀ/印刷ｵﾌﾟｼｮﾝの変更</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Print Setup</source>
        <translation>印刷設定</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>E&amp;xit</source>
        <translation>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Exit Spectrel</source>
        <translation>ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Measurement Settings</source>
        <translation>計測設定(&amp;M)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Measurement Settings</source>
        <translation>計測設定</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Settings</source>
        <translation>計測設定</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Manual Measurement</source>
        <translation>マニュアル計測開始(&amp;A)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Start Manual Measurement</source>
        <translation>マニュアル計測を開始する</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Start</source>
        <comment>manual measurement</comment>
        <translation>マニュアル計測開始</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Start Interval Measurement</source>
        <translation>インターバル計測開始(&amp;S)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Start Interval Measurement</source>
        <translation>インターバル計測を開始する</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start</source>
        <comment>interval measurement</comment>
        <translation>インターバル計測開始</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Graph Settings</source>
        <translation>グラフ設定(&amp;G)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Graph Settings</source>
        <translation>グラフ表示の設定</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Graph</source>
        <translation>グラフ設定</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Copy</source>
        <translation>ｺﾋﾟｰ(&amp;C)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Copy Current Data to Clipboard</source>
        <translation>選択範囲をｺﾋﾟｰしてｸﾘｯﾌﾟﾎﾞｰﾄﾞに保存</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Copy</source>
        <translation>ｺﾋﾟｰ</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;About Spectrel...</source>
        <translation>Spectrel のﾊﾞｰｼﾞｮﾝ情報(&amp;A)...</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Display program information and version number</source>
        <translation>ﾌﾟﾛｸﾞﾗﾑ情報、ﾊﾞｰｼﾞｮﾝ番号を表示</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>About</source>
        <translation>ﾊﾞｰｼﾞｮﾝ情報</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;File</source>
        <translation>ﾌｧｲﾙ(&amp;F)</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Measure</source>
        <translation>計測(&amp;M)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;View</source>
        <translation>表示(&amp;V)</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Help</source>
        <translation>ﾍﾙﾌﾟ(&amp;H)</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Toolbar</source>
        <translation>ﾂｰﾙ ﾊﾞｰ</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>&amp;Toolbar</source>
        <translation>ﾂｰﾙ ﾊﾞｰ(&amp;T)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show or hide the toolbar</source>
        <translation>ﾂｰﾙ ﾊﾞｰの 表示/非表示</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Toggle ToolBar</source>
        <translation>ﾂｰﾙ ﾊﾞｰの表示切り替え</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+2"/>
        <source>Ready</source>
        <translation>ﾚﾃﾞｨ</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>&amp;Status Bar</source>
        <translation>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Show or hide the status bar</source>
        <translation>ｽﾃｰﾀｽ ﾊﾞｰの 表示/非表示</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Toggle StatusBar</source>
        <translation>ｽﾃｰﾀｽ ﾊﾞｰの表示切り替え</translation>
    </message>
    <message>
        <source>Event &amp;Log</source>
        <translation>イベントログ(&amp;L)</translation>
    </message>
    <message>
        <source>Show the event log as it grows</source>
        <translation>イベントログを表示し、追記を追う</translation>
    </message>
    <message>
        <source>&amp;Spectrum</source>
        <translation>スペクトル(&amp;S)</translation>
    </message>
    <message>
        <source>Zoom &amp;In</source>
        <translation>拡大(&amp;I)</translation>
    </message>
    <message>
        <source>Show a narrower band of wavelengths</source>
        <translation>波長範囲を狭めて表示</translation>
    </message>
    <message>
        <source>Zoom &amp;Out</source>
        <translation>縮小(&amp;O)</translation>
    </message>
    <message>
        <source>Show a wider band of wavelengths</source>
        <translation>波長範囲を広げて表示</translation>
    </message>
    <message>
        <source>Zoom Irr&amp;adiance In</source>
        <translation>放射照度を拡大(&amp;A)</translation>
    </message>
    <message>
        <source>Show a narrower range of irradiance</source>
        <translation>放射照度の範囲を狭めて表示</translation>
    </message>
    <message>
        <source>Zoom Irradiance Ou&amp;t</source>
        <translation>放射照度を縮小(&amp;T)</translation>
    </message>
    <message>
        <source>Show a wider range of irradiance</source>
        <translation>放射照度の範囲を広げて表示</translation>
    </message>
    <message>
        <source>Shorter &amp;Wavelengths</source>
        <translation>短波長側へ(&amp;W)</translation>
    </message>
    <message>
        <source>Move the graph to shorter wavelengths</source>
        <translation>グラフを短波長側へ移動</translation>
    </message>
    <message>
        <source>Longer Wa&amp;velengths</source>
        <translation>長波長側へ(&amp;V)</translation>
    </message>
    <message>
        <source>Move the graph to longer wavelengths</source>
        <translation>グラフを長波長側へ移動</translation>
    </message>
    <message>
        <source>&amp;Reset Zoom</source>
        <translation>拡大の解除(&amp;R)</translation>
    </message>
    <message>
        <source>Show the axes of the graph settings again</source>
        <translation>グラフ設定の軸に戻す</translation>
    </message>
    <message>
        <source>&amp;Logarithmic Irradiance Axis</source>
        <translation>放射照度の対数軸(&amp;L)</translation>
    </message>
    <message>
        <source>Irradiance on a logarithmic scale</source>
        <translation>放射照度を対数目盛で表示</translation>
    </message>
    <message>
        <source>Overlay &amp;Shown Point</source>
        <translation>表示中のスペクトルを重ねる(&amp;S)</translation>
    </message>
    <message>
        <source>Keep the shown spectrum in the graph for comparison</source>
        <translation>比較のため表示中のスペクトルをグラフに残す</translation>
    </message>
    <message>
        <source>Overlay Reference &amp;File...</source>
        <translation>参照スペクトルを重ねる(&amp;F)...</translation>
    </message>
    <message>
        <source>Draw a reference spectrum from a text file of wavelengths and values</source>
        <translation>波長と値のテキストファイルから参照スペクトルを描く</translation>
    </message>
    <message>
        <source>Overlay Reference File</source>
        <translation>参照スペクトルのファイル</translation>
    </message>
    <message>
        <source>Spectrum numbers (*.txt *.tsv *.csv *.dat);;All files (*)</source>
        <translation>スペクトルの数値 (*.txt *.tsv *.csv *.dat);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>%1 を読めませんでした: %2</translation>
    </message>
    <message>
        <source>&amp;Clear Overlay</source>
        <translation>重ねたスペクトルを消す(&amp;C)</translation>
    </message>
    <message>
        <source>Remove the overlaid spectrum</source>
        <translation>重ねたスペクトルを消す</translation>
    </message>
    <message>
        <source>Copy as &amp;Numbers</source>
        <translation>数値としてコピー(&amp;N)</translation>
    </message>
    <message>
        <source>Copy the shown spectrum as tab-separated numbers</source>
        <translation>表示中のスペクトルをタブ区切りの数値でコピー</translation>
    </message>
    <message>
        <source>Save as Num&amp;bers...</source>
        <translation>数値として保存(&amp;B)...</translation>
    </message>
    <message>
        <source>Save the shown spectrum as tab-separated numbers</source>
        <translation>表示中のスペクトルをタブ区切りの数値で保存</translation>
    </message>
    <message>
        <source>Save Spectrum as Numbers</source>
        <translation>スペクトルを数値として保存</translation>
    </message>
    <message>
        <source>Tab-separated numbers (*.txt)</source>
        <translation>タブ区切りの数値 (*.txt)</translation>
    </message>
    <message>
        <source>%1 could not be written: %2</source>
        <translation>%1 に書き込めませんでした: %2</translation>
    </message>
    <message>
        <source>Sensors of the Day</source>
        <translation>センサーの一日</translation>
    </message>
    <message>
        <source>Sensors of the Day &amp;Panel</source>
        <translation>センサーの一日(&amp;P)</translation>
    </message>
    <message>
        <source>Show the sensors&apos; temperatures and exposure times over the day</source>
        <translation>一日のセンサー温度と露光時間を表示</translation>
    </message>
    <message>
        <source>measuring — next at %1</source>
        <translation>計測中 — 次は %1</translation>
    </message>
    <message>
        <source>measuring</source>
        <translation>計測中</translation>
    </message>
    <message>
        <source>The profile %1 was checked at start:</source>
        <translation>起動時にプロファイル %1 を確認しました:</translation>
    </message>
    <message>
        <source>Profile: %1 (all in View &gt; Event Log)</source>
        <translation>プロファイル: %1 (すべて 表示 &gt; イベントログ に)</translation>
    </message>
</context>
<context>
    <name>spectrel::CSpectrelView</name>
    <message>
        <source>(not the latest)</source>
        <translation>（最新ではありません）</translation>
    </message>
    <message>
        <location filename="../../src/ui/spectrel_view.cpp" line="+77"/>
        <source>Error(Copy to clipboard failed)</source>
        <translation>クリップボード転送に失敗しました</translation>
    </message>
    <message>
        <source>Interval measurement cannot start: %1.</source>
        <translation>インターバル計測を開始できません: %1。</translation>
    </message>
    <message>
        <source>no wavelength and value pairs</source>
        <translation>波長と値の組がありません</translation>
    </message>
</context>
<context>
    <name>spectrel::OverviewPane</name>
    <message>
        <source>Day Overview</source>
        <translation>日変化</translation>
    </message>
    <message>
        <source>&amp;Day Overview</source>
        <translation>日変化(&amp;D)</translation>
    </message>
    <message>
        <source>Show or hide the day overview</source>
        <translation>日変化の 表示/非表示</translation>
    </message>
    <message>
        <source>&amp;Open Day File...</source>
        <translation>日データを開く(&amp;O)...</translation>
    </message>
    <message>
        <source>Look at a day of the archive</source>
        <translation>保存済みの日データを表示</translation>
    </message>
    <message>
        <source>Open Day File</source>
        <translation>日データを開く</translation>
    </message>
    <message>
        <source>Day files (*.krf *.KRF);;All files (*)</source>
        <translation>日データ (*.krf *.KRF);;すべてのファイル (*)</translation>
    </message>
    <message>
        <source>&amp;Next Day</source>
        <translation>次の日(&amp;N)</translation>
    </message>
    <message>
        <source>Show the running measurement again</source>
        <translation>実行中の計測を再び表示</translation>
    </message>
    <message>
        <source>&amp;Print...</source>
        <translation>印刷(&amp;P)...</translation>
    </message>
    <message>
        <source>Print Pre&amp;view</source>
        <translation>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>ｺﾋﾟｰ(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Save As...</source>
        <translation>名前を付けて保存(&amp;S)...</translation>
    </message>
    <message>
        <source>Day Overview - %1</source>
        <translation>日変化 - %1</translation>
    </message>
    <message>
        <source>Save Day Overview</source>
        <translation>日変化の保存</translation>
    </message>
    <message>
        <source>PNG picture (*.png);;SVG picture (*.svg);;PDF document (*.pdf)</source>
        <translation>PNG 画像 (*.png);;SVG 画像 (*.svg);;PDF 文書 (*.pdf)</translation>
    </message>
    <message>
        <source>The picture could not be saved.</source>
        <translation>図を保存できませんでした。</translation>
    </message>
    <message>
        <source>Previous &amp;Day</source>
        <translation>前の日(&amp;D)</translation>
    </message>
    <message>
        <source>Open the nearest earlier day file</source>
        <translation>一番近い前の日データを開く</translation>
    </message>
    <message>
        <source>Open the nearest later day file</source>
        <translation>一番近い次の日データを開く</translation>
    </message>
    <message>
        <source>Back to &amp;Live</source>
        <translation>計測中の表示に戻る(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Earlier Point</source>
        <translation>前の計測点(&amp;E)</translation>
    </message>
    <message>
        <source>Show the day&apos;s point before the one shown</source>
        <translation>表示中の一つ前の計測点を表示</translation>
    </message>
    <message>
        <source>Later &amp;Point</source>
        <translation>次の計測点(&amp;P)</translation>
    </message>
    <message>
        <source>Show the day&apos;s point after the one shown</source>
        <translation>表示中の一つ後の計測点を表示</translation>
    </message>
    <message>
        <source>Rec&amp;ent Day Files</source>
        <translation>最近使った日データ(&amp;E)</translation>
    </message>
    <message>
        <source>Day Overview Pic&amp;ture</source>
        <translation>日変化の図(&amp;T)</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>%1 を読めませんでした: %2</translation>
    </message>
    <message>
        <source>%1: %2 (%3 points could be read)</source>
        <translation>%1: %2 (%3 点を読み込みました)</translation>
    </message>
    <message>
        <source>The day goes on in %1: another sensor unit took over.</source>
        <translation>この日は %1 に続きます: 別のセンサー機体に替わりました。</translation>
    </message>
    <message>
        <source>&amp;UTC Time Axis</source>
        <translation>UTC 時間軸(&amp;U)</translation>
    </message>
    <message>
        <source>Read the day overview&apos;s time axis in UTC instead of the station&apos;s clock</source>
        <translation>日間概要の時間軸を観測所の時計ではなく UTC で表示します</translation>
    </message>
</context>
<context>
    <name>spectrel::QtDocumentHost</name>
    <message>
        <location filename="../../src/ui/qt_document_host.cpp" line="+66"/>
        <source>Cancel</source>
        <translation>ｷｬﾝｾﾙ</translation>
    </message>
</context>
<context>
    <name>spectrel::CEventLogWindow</name>
    <message>
        <source>Event Log</source>
        <translation>イベントログ</translation>
    </message>
    <message>
        <source>Event Log - %1</source>
        <translation>イベントログ - %1</translation>
    </message>
</context>
<context>
    <name>spectrel::CSensorDayPanel</name>
    <message>
        <source>Sensor temperature (deg C)</source>
        <translation>センサー温度 (℃)</translation>
    </message>
    <message>
        <source>Exposure time (ms)</source>
        <translation>露光時間 (ms)</translation>
    </message>
</context>
</TS>
