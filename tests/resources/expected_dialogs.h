// The controls each dialog template must have: ids, kinds and texts (the
// layout is free). Texts are UTF-8; a null text is not
// compared (it is set at run time or not given).
#ifndef TWR_TESTS_RESOURCES_EXPECTED_DIALOGS_H
#define TWR_TESTS_RESOURCES_EXPECTED_DIALOGS_H

enum ControlKind { kPush, kCheck, kRadio, kGroup, kEdit, kStatic, kScroll, kCombo };

struct ExpectedControl {
    int id;
    ControlKind kind;
    const char *text;
};

struct ExpectedDialog {
    const char *name;          // template name, or null for a numbered one
    int number;
    bool panel;                // an option panel of a file dialog (a child)
    const char *caption;       // null: not given
    const ExpectedControl *controls;
    int controlCount;
    const char *const *texts;  // further texts shown by controls without an id
    int textCount;
    const int *absent;         // ids the template must not have
    int absentCount;
};

#define TWR_N(a) (int)(sizeof(a) / sizeof((a)[0]))

static const ExpectedControl kFileType[] = {
    {1070, kPush, u8"横並び(100%)"}, {1071, kPush, u8"縦(100%)"}, {1072, kPush, u8"縦(50%)"},
    {1073, kPush, u8"縦(47.5%)"}, {1074, kPush, u8"インターレース"}, {1075, kPush, u8"SIS"},
    {1077, kPush, u8"Tri-delta(TT)"}, {1078, kPush, u8"Tri-delta(BB)"}, {1079, kPush, u8"横並び(50%)"},
    {1080, kPush, u8"アナグリフ"}, {1081, kPush, u8"アナグリフ (色保持)"},
};
static const char *const kFileTypeTexts[] = {u8"入力画像のステレオ形式を選択して下さい。"};
static const int kNo1076[] = {1076};

static const ExpectedControl kSopen[] = {
    {1119, kStatic, nullptr},
    {1032, kCheck, u8"インターレース解除"}, {1036, kRadio, u8"フィールドを複製"}, {1037, kRadio, u8"フィールドを破棄"},
    {1033, kCheck, u8"左右の映像の音声からステレオ音声を作成する"}, {1059, kCheck, u8"左右の音を入れ替える"},
    {1310, kRadio, u8"そのまま"}, {1311, kRadio, u8"左回転"}, {1312, kRadio, u8"右回転"},
    {1313, kRadio, u8"さかさ"}, {1314, kRadio, u8"水平鏡像"}, {1315, kRadio, u8"垂直鏡像"},
    {1320, kRadio, u8"そのまま"}, {1321, kRadio, u8"左回転"}, {1322, kRadio, u8"右回転"},
    {1323, kRadio, u8"さかさ"}, {1324, kRadio, u8"水平鏡像"}, {1325, kRadio, u8"垂直鏡像"},
};
static const char *const kSopenTexts[] = {u8"左映像を回転", u8"右映像を回転"};

static const ExpectedControl kStop[] = {
    {1119, kStatic, nullptr},
    {1032, kCheck, u8"インターレースノイズ軽減"}, {1305, kStatic, u8"SIS位置調整  : "}, {1306, kEdit, nullptr},
    {1070, kRadio, u8"横並び(100%)"}, {1071, kRadio, u8"縦(100%)"}, {1072, kRadio, u8"縦(50%)"},
    {1073, kRadio, u8"縦(47.5%)"}, {1074, kRadio, u8"インターレース"}, {1075, kRadio, u8"SIS"},
    {1077, kRadio, u8"Tri-delta(TT)"}, {1078, kRadio, u8"Tri-delta(BB)"}, {1079, kRadio, u8"横並び(50%)"},
    {1080, kRadio, u8"アナグリフ"}, {1081, kRadio, u8"アナグリフ (色保持)"},
};
static const char *const kStopTexts[] = {u8"入力ステレオムービータイプ"};

static const ExpectedControl kSaveOp[] = {
    {1119, kStatic, nullptr},
    {3002, kCheck, u8"保存中のプレビュー"}, {1015, kCheck, u8"サイズ変更"}, {1013, kCheck, u8"スマートサイズ"},
    {1020, kStatic, nullptr}, {1017, kEdit, nullptr}, {1021, kStatic, nullptr}, {1019, kEdit, nullptr},
    {1000, kRadio, u8"左右フォーマット"}, {1001, kRadio, u8"上下フォーマット"}, {1002, kRadio, u8"アナグリフ(赤青)"},
    {1003, kRadio, u8"アナグリフ(カラー)"}, {1004, kRadio, u8"インターレス"}, {1006, kRadio, u8"クロマキー合成"},
    {1007, kRadio, u8"縦インターレス"},
    {3100, kCheck, u8"アスペクト比を保持する"}, {1122, kCheck, u8"ハーフサイズ"},
    {1304, kCheck, u8"フレームを付ける（フレームの幅と色は設定画面で指定）"},
};
static const char *const kSaveOpTexts[] = {u8"ステレオフォーマット", u8"保存を途中で中止したい時は、停止ボタンを押して下さい。"};
static const int kNo1005[] = {1005};

static const ExpectedControl kSaveOpB[] = {
    {1119, kStatic, nullptr},
    {3002, kCheck, u8"保存中のプレビュー"}, {1015, kCheck, u8"サイズ変更"}, {1013, kCheck, u8"スマートサイズ"},
    {1020, kStatic, nullptr}, {1017, kEdit, nullptr}, {1021, kStatic, nullptr}, {1019, kEdit, nullptr},
};
static const char *const kSaveOpBTexts[] = {
    u8"保存を途中で中止したい時は、停止ボタンを押して下さい。",
    u8"ファイル名は、自動的に _l _r が付加されて保存されます。上書き確認しませんのでご注意下さい。",
};

static const ExpectedControl kSave3dAvi[] = {
    {1119, kStatic, nullptr},
    {3002, kCheck, u8"保存中のプレビュー"}, {3092, kStatic, u8"画像品質(1～99)："}, {1242, kStatic, nullptr},
    {1243, kScroll, nullptr},
    {1461, kRadio, u8"320x240"}, {1460, kRadio, u8"640x480"}, {1462, kRadio, u8"1280x720"},
    {1463, kRadio, u8"400x240(20fps)"}, {1465, kRadio, u8"480x240(20fps)"}, {1467, kRadio, u8"400x240(24fps)"},
    {1468, kRadio, u8"480x240(24fps)"}, {1464, kRadio, u8"400x240(30fps)"}, {1466, kRadio, u8"480x240(30fps)"},
    {3362, kCheck, u8"EXIF日時："},
    {3363, kEdit, nullptr}, {3364, kEdit, nullptr}, {3365, kEdit, nullptr},
    {3366, kEdit, nullptr}, {3367, kEdit, nullptr}, {3368, kEdit, nullptr},
};
static const char *const kSave3dAviTexts[] = {u8"画像サイズ", u8"Fuji W1/W3", u8"Nintendo 3DS"};
// The camera save has no size controls.
static const int kNoSizeControls[] = {1015, 1013, 1017, 1019};

static const ExpectedControl kDateChange[] = {
    {1119, kStatic, nullptr},
    {3362, kPush, u8"日付変更"},
    {3363, kEdit, nullptr}, {3364, kEdit, nullptr}, {3365, kEdit, nullptr},
    {3366, kEdit, nullptr}, {3367, kEdit, nullptr}, {3368, kEdit, nullptr},
    {3361, kStatic, nullptr},
};
static const char *const kDateChangeTexts[] = {u8"年", u8"月", u8"日", u8"時", u8"分", u8"秒", u8"修正数"};

static const ExpectedControl kPositionBar[] = {
    {1041, kPush, u8"先頭"}, {1044, kScroll, nullptr}, {1042, kPush, u8"後端"},
};

static const ExpectedControl kAbout[] = {
    {1, kPush, nullptr},
};
static const char *const kAboutTexts[] = {u8"ツインリール"};

static const ExpectedControl kSeekBar[] = {
    {4011, kPush, u8"先頭"}, {4013, kScroll, nullptr}, {4012, kPush, u8"後端"},
};

static const ExpectedControl kCustSize[] = {
    {1032, kEdit, nullptr}, {1033, kEdit, nullptr}, {1, kPush, nullptr}, {2, kPush, nullptr},
};
static const char *const kCustSizeTexts[] = {u8"実サイズに対する比率（％）で指定して下さい。", u8"横：", u8"縦："};

static const ExpectedControl kAnagSet[] = {
    {1240, kRadio, u8"赤-シアン"}, {1241, kRadio, u8"赤-緑"}, {1242, kRadio, u8"赤-青"},
    {1243, kRadio, u8"ｶﾗｰ(赤-ｼｱﾝ)"}, {1244, kRadio, u8"ｶﾗｰ赤補正"}, {1245, kRadio, u8"黄-青"},
    {1246, kRadio, u8"ｶﾗｰ(黄-青)"}, {1247, kRadio, u8"ｶﾗｰ青補正"},
    {3045, kRadio, u8"左右画像表示（アナグリフ）"}, {3046, kRadio, u8"左画像表示"}, {3047, kRadio, u8"右画像表示"},
    {1270, kStatic, nullptr}, {1271, kScroll, nullptr}, {1272, kScroll, nullptr},
    {1273, kStatic, nullptr}, {1274, kStatic, nullptr}, {1275, kPush, nullptr}, {1276, kPush, nullptr},
    {1, kPush, nullptr}, {2, kPush, nullptr},
};

static const ExpectedControl kFset[] = {
    {1025, kEdit, nullptr}, {1028, kStatic, nullptr}, {1027, kPush, u8"設定"},
    {1045, kCheck, u8"ぼかし枠を使う"}, {1046, kEdit, nullptr},
    {1450, kRadio, u8"センタリング"}, {1451, kRadio, u8"中央寄せ"}, {1452, kRadio, u8"端寄せ"},
    {1023, kCheck, u8"同期再生時、音声も再生する"},
    {1120, kCheck, u8"ファイルをドラッグアンドドロップで開く時、ステレオ形式を指定する"},
    {1047, kStatic, u8"MOVファイルのフレームレート(fps)："}, {1048, kEdit, nullptr},
    {1049, kCheck, u8"古いQuickTimeを使用 (音声対応)"},
    {1, kPush, nullptr}, {2, kPush, nullptr},
};

static const ExpectedControl kKuroma[] = {
    {1224, kStatic, nullptr}, {1222, kPush, u8"色指定"}, {1040, kEdit, nullptr},
    {1031, kPush, u8"プレビュー"}, {1, kPush, nullptr}, {2, kPush, nullptr},
};
static const char *const kKuromaTexts[] = {u8"色範囲(1～30)"};

static const ExpectedControl kW3d[] = {
    {4068, kRadio, u8"Win3D"}, {4069, kRadio, u8"nVidia"}, {4070, kRadio, u8"OpenGL"}, {4071, kRadio, u8"3D Vison"},
    {1024, kCombo, nullptr}, {1026, kCombo, nullptr}, {1307, kGroup, nullptr},
    {1023, kCheck, u8"映像のみ再生（音声なし）"}, {1432, kCheck, u8"Auto Reg. Set"},
    {1, kPush, nullptr},
};
static const int kW3dAbsent[] = {1029, 1085, 1100};

static const ExpectedControl kFopen[] = {
    {1119, kStatic, nullptr},
    {1024, kCombo, nullptr}, {1026, kCombo, nullptr}, {1307, kGroup, nullptr},
    {1023, kCheck, u8"映像のみ再生（音声なし）"}, {1029, kCheck, u8"画面サイズに合わせる"},
    {1032, kCheck, u8"インターレースノイズ軽減"},
    {1085, kRadio, u8"横分割"}, {1086, kRadio, u8"縦分割(100%)"}, {1087, kRadio, u8"縦分割(50%)"},
    {1088, kRadio, u8"縦分割(47.5%)"}, {1089, kRadio, u8"SIS"}, {1091, kRadio, u8"Tri-delta(TT)"},
    {1092, kRadio, u8"Tri-delta(BB)"}, {1093, kRadio, u8"インターレース"},
    {1100, kRadio, u8"横並び"}, {1101, kRadio, u8"赤／シアン"}, {1102, kRadio, u8"赤／緑"},
    {1103, kRadio, u8"赤／青"}, {1104, kRadio, u8"ｶﾗｰ(赤／ｼｱﾝ)"}, {1105, kRadio, u8"ｶﾗｰ赤補正"},
    {1106, kRadio, u8"インターレース"}, {1107, kRadio, u8"元映像"}, {1108, kRadio, u8"黄／青"},
    {1109, kRadio, u8"ｶﾗｰ(黄／青)"}, {1110, kRadio, u8"ｶﾗｰ青補正"},
};
static const int kFopenAbsent[] = {1090, 4068, 1432};

static const ExpectedControl kW3dOpen[] = {
    {1119, kStatic, nullptr},
    {4068, kRadio, u8"Win3D"}, {4069, kRadio, u8"nVidia"}, {4070, kRadio, u8"OpenGL"}, {4071, kRadio, u8"3D Vison"},
    {1024, kCombo, nullptr}, {1026, kCombo, nullptr}, {1307, kGroup, nullptr},
    {1023, kCheck, u8"映像のみ再生（音声なし）"}, {1029, kCheck, u8"画面サイズに合わせる"},
    {1032, kCheck, u8"インターレースノイズ軽減"},
    {1085, kRadio, u8"横分割"}, {1086, kRadio, u8"縦分割(100%)"}, {1087, kRadio, u8"縦分割(50%)"},
    {1088, kRadio, u8"縦分割(47.5%)"}, {1089, kRadio, u8"SIS"}, {1091, kRadio, u8"Tri-delta(TT)"},
    {1092, kRadio, u8"Tri-delta(BB)"}, {1093, kRadio, u8"インターレース"},
};
static const int kW3dOpenAbsent[] = {1090, 1100, 1432};

static const ExpectedControl kCustSize1[] = {
    {1274, kEdit, nullptr}, {1300, kEdit, nullptr}, {1, kPush, nullptr}, {2, kPush, nullptr},
};

static const ExpectedControl kAngles[] = {
    {1233, kStatic, nullptr},
    {3003, kScroll, nullptr}, {3004, kScroll, nullptr}, {3005, kScroll, nullptr}, {3006, kScroll, nullptr},
    {3007, kScroll, nullptr}, {3008, kScroll, nullptr}, {3009, kScroll, nullptr}, {3010, kScroll, nullptr},
    {3011, kScroll, nullptr}, {3012, kScroll, nullptr}, {3013, kScroll, nullptr},
    {3015, kCombo, nullptr}, {3016, kPush, nullptr}, {3017, kStatic, nullptr}, {3018, kPush, nullptr},
    {3019, kPush, nullptr},
    {3020, kCheck, u8"リサンプル（画質優先、速度低い）"}, {3021, kCheck, u8"自動トリミングモード"},
    {3034, kPush, nullptr}, {3035, kPush, nullptr}, {3036, kPush, nullptr}, {3037, kPush, nullptr},
    {3038, kPush, nullptr}, {3039, kPush, nullptr}, {3040, kPush, u8"100"}, {3041, kPush, u8"100"},
    {3042, kPush, u8"リセット"}, {3043, kPush, u8"リセット"},
    {3045, kRadio, u8"左右画像表示（アナグリフ）"}, {3046, kRadio, u8"左画像表示（赤）"},
    {3047, kRadio, u8"右画像表示（青）"}, {3048, kRadio, u8"左右画像交互表示"},
    {3049, kCheck, u8"実寸表示"}, {3056, kEdit, nullptr},
    {3059, kPush, u8"基準線を消す"}, {3060, kPush, u8"自動調整"},
    {3062, kPush, u8"保存"}, {3064, kPush, u8"呼出し"}, {3065, kPush, u8"呼出し(ﾌｧｲﾙ指定)"},
    {3176, kCheck, u8"左右を同期して調整"}, {3236, kCheck, u8"線画表示"}, {3265, kCheck, u8"グリッドの表示"},
    {3269, kEdit, nullptr}, {3270, kEdit, nullptr}, {3271, kEdit, nullptr}, {3272, kEdit, nullptr},
    {3281, kCheck, u8"遠近回転"}, {3300, kStatic, nullptr},
};
static const char *const kAnglesTexts[] = {
    u8"表示", u8"角度調整", u8"大きさ調整", u8"水平遠近補正", u8"垂直遠近補正", u8"レンズ焦点距離：",
    u8"横位置", u8"縦位置", u8"自動角度調整", u8"調整値保存", u8"10ミリ秒", u8"canvas height + ",
};

#define TWR_DLG(name, number, panel, caption, controls) \
    name, number, panel, caption, controls, TWR_N(controls)
static const ExpectedDialog kDialogs[] = {
    {TWR_DLG("FILETYPE", 0, false, u8"入力ステレオ形式の指定", kFileType), kFileTypeTexts, 1, kNo1076, 1},
    {TWR_DLG("SOPEN", 0, true, nullptr, kSopen), kSopenTexts, 2, nullptr, 0},
    {TWR_DLG("STOP", 0, true, nullptr, kStop), kStopTexts, 1, kNo1076, 1},
    {TWR_DLG("SAVEOP", 0, true, nullptr, kSaveOp), kSaveOpTexts, 2, kNo1005, 1},
    {TWR_DLG("SAVEOPB", 0, true, nullptr, kSaveOpB), kSaveOpBTexts, 2, nullptr, 0},
    {TWR_DLG("SAVE3DAVI", 0, true, nullptr, kSave3dAvi), kSave3dAviTexts, 3, kNoSizeControls, 4},
    {TWR_DLG("DATECNGDLG", 0, true, nullptr, kDateChange), kDateChangeTexts, 7, nullptr, 0},
    {TWR_DLG(nullptr, 900, false, nullptr, kPositionBar), nullptr, 0, nullptr, 0},
    {TWR_DLG("ABOUT", 0, false, nullptr, kAbout), kAboutTexts, 1, nullptr, 0},
    {TWR_DLG("AVIPLAY", 0, false, nullptr, kSeekBar), nullptr, 0, nullptr, 0},
    {TWR_DLG("CUSTSIZE", 0, false, u8"カスタムサイズ", kCustSize), kCustSizeTexts, 3, nullptr, 0},
    {TWR_DLG("ANAGSET", 0, false, u8"アナグリフ設定", kAnagSet), nullptr, 0, nullptr, 0},
    {TWR_DLG("FSET", 0, false, u8"表示設定", kFset), nullptr, 0, nullptr, 0},
    {TWR_DLG("KUROMA", 0, false, u8"クロマキー設定", kKuroma), kKuromaTexts, 1, nullptr, 0},
    {TWR_DLG("W3D", 0, false, u8"液晶シャッター再生の設定", kW3d), nullptr, 0, kW3dAbsent, 3},
    {TWR_DLG("FOPEN", 0, true, nullptr, kFopen), nullptr, 0, kFopenAbsent, 3},
    {TWR_DLG("W3DOPEN", 0, true, nullptr, kW3dOpen), nullptr, 0, kW3dOpenAbsent, 3},
    {TWR_DLG("CUSTSIZE1", 0, false, u8"カスタムサイズ", kCustSize1), nullptr, 0, nullptr, 0},
    {TWR_DLG("ANGLES", 0, false, u8"簡単位置調整", kAngles), kAnglesTexts, TWR_N(kAnglesTexts), nullptr, 0},
};
#undef TWR_DLG

#endif
