// Every text the desktop windows show, in UTF-8, one table per window. Both front ends take
// their captions, messages and status texts from here; texts with a blank to fill are made by
// the functions beside the window's logic.
#pragma once

#include <array>
#include <string_view>

namespace tolvane {

namespace main_text {

inline constexpr std::string_view kCaption = "Tolvane Ver.1.04";
// The program's name: the caption of its message boxes.
inline constexpr std::string_view kProgramName = "Tolvane";

// Menus.
inline constexpr std::string_view kMenuFile = "ファイル (&F)";
inline constexpr std::string_view kMenuSearchFolder = "検索フォルダの指定 (&S)";
inline constexpr std::string_view kMenuFileType = "ファイルの種類 (&T)";
inline constexpr std::string_view kMenuDestination = "保存先フォルダの指定 (&H)";
inline constexpr std::string_view kMenuInspect = "点検 (&I)...";
inline constexpr std::string_view kMenuExit = "終了 (&X)";
inline constexpr std::string_view kMenuSettings = "設定 (&S)";
inline constexpr std::string_view kMenuSettingsDialog = "JWW/JWS設定 (&1)";
inline constexpr std::string_view kMenuSaveSettings = "現在の設定を保存(&S)...";
inline constexpr std::string_view kMenuOpenSettings = "保存した設定を開く(&O)...";
inline constexpr std::string_view kMenuView = "表示 (&V)";
inline constexpr std::string_view kMenuPreview = "プレビュー (&P)";
inline constexpr std::string_view kMenuLastResults = "前回の変換結果 (&R)...";
// The file-type filter, in the order of its index (kFileFilterPatterns of formats/).
inline constexpr std::array<std::string_view, 4> kFilterItems = {"全てのファイル(*.*)", "*.JW?", "*.JWW", "*.JWS"};
inline constexpr std::array<std::string_view, 4> kFilterMenuItems = {"全てのファイル(*.*) (&0)", "(*.jw?) (&1)",
                                                                     "(*.jww) (&2)", "(*.jws) (&3)"};

// Controls.
inline constexpr std::string_view kFileTypeLabel = "ファイルの種類";
inline constexpr std::string_view kDestinationLabel = "保存先フォルダ";
inline constexpr std::string_view kSettingsButton = "JWW/JWS設定";
inline constexpr std::string_view kBrowseButton = "参照";
inline constexpr std::string_view kConvertButton = "変換";
inline constexpr std::string_view kStopButton = "中止";
inline constexpr std::string_view kSearchFolderPlaceholder = "クリックでフォルダを指定";
inline constexpr std::string_view kSearchFolderTip = "クリックして検索フォルダを指定します";

// Titles of the file and folder choices.
inline constexpr std::string_view kSearchFolderTitle = "検索フォルダの指定";
inline constexpr std::string_view kDestinationTitle = "保存先フォルダの指定";
inline constexpr std::string_view kSaveSettingsTitle = "現在の設定を保存";
inline constexpr std::string_view kOpenSettingsTitle = "保存した設定ファイルを開く";
inline constexpr std::string_view kSettingsFilterName = "設定ファイル(*.set)";

// Messages and status texts.
inline constexpr std::string_view kSpecifySearchFolder = "検索フォルダを指定して下さい。";
inline constexpr std::string_view kSearchFolderHint =
    "検索フォルダを指定して下さい。（左上の欄をクリックするか、「ファイル」→「検索フォルダの指定」）";
inline constexpr std::string_view kSearchingFolders = "フォルダ検索中です。（ESC：中断）";
inline constexpr std::string_view kDriveNotReady = "検索フォルダのディスクドライブの準備が出来ていません。";
inline constexpr std::string_view kFolderSearchStopped = "フォルダ検索を中断しました。";
inline constexpr std::string_view kListingStopped = "検索を中断しました。";
inline constexpr std::string_view kSpecifyDrawingFolder = "図面の格納されているフォルダを指定して下さい。";
inline constexpr std::string_view kBusySearching =
    "フォルダ検索中は操作できません。検索が終わるまで待つかESCで中断して下さい。";
inline constexpr std::string_view kBusyConverting =
    "変換中は操作できません。変換が終わるまで待つか「中止」を押して下さい。";
inline constexpr std::string_view kAskExit = "終了します。よろしいですか？";
inline constexpr std::string_view kAskStopAndExit = "変換中です。変換を中止して終了しますか？";
inline constexpr std::string_view kExitAfterStop = "変換を中止しています。変換中のファイルが終わると終了します。";
inline constexpr std::string_view kNoFileList = "ファイル一覧が表示されていません。";
inline constexpr std::string_view kAskStartConversion = "変換を開始します。よろしいですか？";
inline constexpr std::string_view kConversionCancelled = "変換作業をキャンセルしました。";
inline constexpr std::string_view kConverting = "変換中です。（ESC：中止）";
inline constexpr std::string_view kStopping = "変換を中止しています。変換中のファイルが終わるまでお待ち下さい。";
inline constexpr std::string_view kConversionCompleted = "変換作業を完了しました。";
inline constexpr std::string_view kConversionStopped = "変換作業を中止しました。";
inline constexpr std::string_view kOpenDestinationTip = "クリックすると保存先フォルダを開きます。";
inline constexpr std::string_view kNoResultsYet = "まだ変換していません。";
inline constexpr std::string_view kNothingOpened =
    "開くためのアプリケーション（ファイルマネージャー）が見つかりませんでした。\n";
inline constexpr std::string_view kSettingsNotRead = "設定ファイルを読み込めませんでした。\n";
inline constexpr std::string_view kSettingsNotSaved = "設定ファイルを保存できませんでした。\n";
inline constexpr std::string_view kSettingsKeysRefused = "設定ファイルの範囲外の値を読み込みませんでした：";
inline constexpr std::string_view kSettingsKeysNotIntegers = "整数でない値を0として読み込みました：";
// Why a chosen file is no settings file.
inline constexpr std::string_view kSettingsMissing = "ファイルがありません。";
inline constexpr std::string_view kSettingsFolder = "フォルダです。";
inline constexpr std::string_view kSettingsNotRegular = "通常のファイルではありません。";
inline constexpr std::string_view kSettingsFifo = "名前付きパイプです。通常のファイルではありません。";
inline constexpr std::string_view kSettingsDevice = "デバイスです。通常のファイルではありません。";
inline constexpr std::string_view kSettingsUnreadable = "ファイルを読み込めません。";
inline constexpr std::string_view kSettingsTooLarge = "設定ファイルとしては大きすぎます。";
inline constexpr std::string_view kSettingsEmpty = "空のファイルです。";
inline constexpr std::string_view kSettingsDrawing = "図面ファイルです。設定ファイル(*.set)を選んで下さい。";
inline constexpr std::string_view kSettingsNotText = "テキストのファイルではありません。";
inline constexpr std::string_view kSettingsUtf16 = "UTF-16で保存されています。設定ファイルはShift-JISのテキストです。";
inline constexpr std::string_view kSettingsNoKeys = "設定の項目（[JWW]、[Set]、[JWW1]）がありません。";
// The 点検 of the selected drawings.
inline constexpr std::string_view kSelectDrawingsToInspect = "点検する図面ファイル（*.jww、*.jws）を選択して下さい。";
inline constexpr std::string_view kInspecting = "点検中です。（ESC：中止）";
inline constexpr std::string_view kInspectStopping = "点検を中止しています。読み込み中のファイルが終わるまでお待ち下さい。";
inline constexpr std::string_view kBusyInspecting = "点検中は操作できません。点検が終わるまで待つか「中止」を押して下さい。";
inline constexpr std::string_view kInspectNotStarted = "点検を開始できませんでした。";

}  // namespace main_text

namespace results_text {

inline constexpr std::string_view kCaption = "変換結果";
inline constexpr std::array<std::string_view, 3> kHeaders = {"ファイル", "結果", "理由"};
inline constexpr std::string_view kDestinationLine = "保存先フォルダ：";
inline constexpr std::string_view kCopyButton = "一覧をコピー";
inline constexpr std::string_view kSaveButton = "CSVで保存...";
inline constexpr std::string_view kOpenFolderButton = "保存先フォルダを開く";
inline constexpr std::string_view kCloseButton = "閉じる";
inline constexpr std::string_view kSaveTitle = "変換結果の保存";
inline constexpr std::string_view kSaveName = "変換結果.csv";
inline constexpr std::string_view kCsvFilterName = "CSVファイル(*.csv)";
inline constexpr std::string_view kNotSaved = "変換結果を保存できませんでした。\n";

// The outcome of a file.
inline constexpr std::string_view kConverted = "変換";
inline constexpr std::string_view kSkipped = "スキップ";
inline constexpr std::string_view kFailed = "失敗";
inline constexpr std::string_view kNotConverted = "未変換（中止）";

// Why a file was not converted; the technical detail follows in parentheses.
inline constexpr std::string_view kNotDrawingExtension = "JWW・JWSファイルではありません";
inline constexpr std::string_view kMissing = "ファイルがありません（一覧の表示後に削除・移動されました）";
inline constexpr std::string_view kNotRegularFile = "通常のファイルではありません";
inline constexpr std::string_view kNotADrawing = "拡張子は図面ですが、図面ファイルではありません";
inline constexpr std::string_view kDestinationIsSource = "保存先が変換元のファイルそのものです";
inline constexpr std::string_view kReadFailed = "図面を読み込めませんでした";
inline constexpr std::string_view kDestinationInTheWay = "保存先の同名のファイル・フォルダをバックアップにできませんでした";
inline constexpr std::string_view kWriteFailed = "保存先に書き込めませんでした";
inline constexpr std::string_view kStopped = "変換を中止したため、変換していません";
inline constexpr std::string_view kUnexpected = "予期しないエラーが発生しました";

}  // namespace results_text

namespace inspect_text {

inline constexpr std::string_view kCaption = "点検";
inline constexpr std::array<std::string_view, 4> kHeaders = {"ファイル", "エラー", "警告", "最も重い指摘"};
inline constexpr std::string_view kStandardLine = "基準：";
inline constexpr std::string_view kPensLabel = "使用中のペン（選択したファイル全体）";
inline constexpr std::array<std::string_view, 7> kPenHeaders = {"図形", "線色", "線種", "線幅", "本数", "うちブロック内",
                                                                "ファイル数"};
inline constexpr std::string_view kCopyButton = "一覧をコピー";
inline constexpr std::string_view kSaveButton = "CSVで保存...";
inline constexpr std::string_view kCloseButton = "閉じる";
inline constexpr std::string_view kSaveTitle = "点検結果の保存";
inline constexpr std::string_view kSaveName = "点検結果.csv";
inline constexpr std::string_view kCsvFilterName = "CSVファイル(*.csv)";
inline constexpr std::string_view kNotSaved = "点検結果を保存できませんでした。\n";
inline constexpr std::string_view kCompleted = "点検を完了しました。";
inline constexpr std::string_view kStopped = "点検を中止しました。";

}  // namespace inspect_text

namespace preview_text {

inline constexpr std::array<std::string_view, 3> kViews = {"変換前", "変換後", "変更箇所"};
inline constexpr std::array<std::string_view, 3> kLegendHeaders = {"色番号", "変換前", "変換後"};
inline constexpr std::string_view kNoDrawing = "図面を選択して下さい。";
inline constexpr std::string_view kRendering = "表示中…";
inline constexpr std::string_view kCannotRead = "図面を読み込めません。";
inline constexpr std::string_view kNotADrawing = "図面ファイルではありません。";
inline constexpr std::string_view kMissing = "ファイルがありません。";
inline constexpr std::string_view kNotRegularFile = "通常のファイルではありません。";

}  // namespace preview_text

namespace dialog_text {

inline constexpr std::string_view kCaption = "JWW/JWS設定";
inline constexpr std::string_view kIndividualPage = "線色線種・個別変換(&1)";
inline constexpr std::string_view kCombinedPage = "線色線種・組合せ変換(&2)";
inline constexpr std::string_view kColorGridLabel = "線色・線幅設定";
inline constexpr std::string_view kLineTypeGridLabel = "線種設定";
inline constexpr std::array<std::string_view, 3> kColorGridHeaders = {"変換前", "変換後線色番号", "線幅"};
inline constexpr std::array<std::string_view, 2> kLineTypeGridHeaders = {"変換前", "変換後線種番号"};
// The column beside both grids: how many entities of the files selected in the main window
// use the row's colour or line type.
inline constexpr std::string_view kUsageHeader = "使用数";
inline constexpr std::string_view kRangeColor = "◆範囲選択した線色を";
inline constexpr std::string_view kRangeWidth = "◆範囲選択した線幅を";
inline constexpr std::string_view kRangeLineType = "◆範囲選択した線種を";
inline constexpr std::string_view kRangeAfter = "にする";
inline constexpr std::string_view kRangeButton = "設定";
inline constexpr std::string_view kRangeHint =
    "※範囲選択は、[Shift]＋[↑][↓]で行う事が出来ます。[Shift]＋マウス選択は出来ませんので注意。";
inline constexpr std::string_view kRuleSourceHeading = "変換元　　　　線色　　　　　　　　　　　　線種";
inline constexpr std::string_view kRuleTargetHeading = "変換先　線色番号　　線種番号　　　線幅";
inline constexpr std::string_view kRuleArrow = "→";
inline constexpr std::string_view kRuleNote1 =
    "指定した変換元の線色及び線種の線・円弧データを　変換先線色・線種・線幅に変更します。";
inline constexpr std::string_view kRuleNote2 =
    "設定、点・文字・寸法図形・ソリッド図形は変更しません。ブロック図形は下記チェックに依存します。";
inline constexpr std::string_view kColorHint =
    "※線色番号は、0:無変換、1～9、101(SXF-1)～356(SXF-256)　で入力して下さい。";
inline constexpr std::string_view kLineTypeHint =
    "※線種番号は、0:無変換、1～9、11～19、31(SXF-1)～62(SXF-32)　で入力して下さい。";
inline constexpr std::string_view kWidthHint =
    "※線幅は、-1:無変換、0:基本幅、1～30000[1/100mm単位]の整数値　で入力して下さい。";
// The eight options, in the order of ConversionOption.
inline constexpr std::array<std::string_view, 8> kOptions = {
    "文字設定の線色番号も変更する　（※SXF対応線色指定時は変更しません）",
    "寸法設定の線色番号も変更する　（※SXF対応線色指定時は変更しません）",
    "線色指定のソリッド図形の線色番号を変更する",
    "寸法図形の線色番号・線幅を変更する",
    "ブロック図形の線色番号・線幅を変更する",
    "寸法図形の線種番号を変更する",
    "ブロック図形の線種番号を変更する",
    "既に指定されている線幅を変更する",
};
inline constexpr std::string_view kSaveButton = "現在の設定を保存(&S)";
// Shown as "保存した設定を開く(O)", with Alt+O.
inline constexpr std::string_view kOpenButton = "保存した設定を開く(&O)";
inline constexpr std::string_view kOkButton = "ＯＫ (&Y)";
inline constexpr std::string_view kCancelButton = "キャンセル (&N)";
inline constexpr std::string_view kSaveTitle = "現在の設定を保存";
inline constexpr std::string_view kOpenTitle = "保存した設定ファイルを開く";
inline constexpr std::string_view kSettingsFilterName = "設定ファイル(*.set)";
inline constexpr std::string_view kNotSaved = "設定ファイルを保存できませんでした。\n";
inline constexpr std::string_view kNotRead = "設定ファイルを読み込めませんでした。\n";
inline constexpr std::string_view kRaise351 =
    "線幅指定を行いましたので、\nVer.3.51未満のデータはVer.3.51形式として保存されます。";
inline constexpr std::string_view kRaise420 =
    "SXF対応拡張線色線種の指定を行いましたので、\nVer.4.20未満のデータはVer.4.20形式として保存されます。";
// Why a value was refused.
inline constexpr std::string_view kBadColor = "線色番号が正しくありません（0、1～9、101～356）。";
inline constexpr std::string_view kBadWidth = "線幅が正しくありません（-1、0、1～30000）。";
inline constexpr std::string_view kBadLineType = "線種番号が正しくありません（0、1～9、11～19、31～62）。";
inline constexpr std::string_view kRowOf = "行目の";
inline constexpr std::string_view kRulePrefix = "設定";
inline constexpr std::string_view kRuleTargetOf = "の変換先の";

}  // namespace dialog_text

}  // namespace tolvane
