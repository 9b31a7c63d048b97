// Identifiers of the string table and other resources.
#ifndef TWR_RESOURCES_RESOURCE_IDS_H
#define TWR_RESOURCES_RESOURCE_IDS_H

// ---- String table (beside the entries below) ----
#define IDS_W3D_CANNOT_SHOW_FILE       2302
#define IDS_W3D_CANNOT_SHOW            2303
#define IDS_DEVICE_STATUS              2304
#define IDS_ASK_CANCEL                 2307
#define IDS_NO_WINX3D                  2308
#define IDS_SAVED_LAYOUT_WARNING       2309
#define IDS_TITLE_OPEN_PLAY            2310
#define IDS_TITLE_OPEN_LEFT            2311
#define IDS_TITLE_OPEN_RIGHT           2312
#define IDS_TITLE_OPEN_STEREO          2313
#define IDS_TITLE_SAVE_STEREO          2317
#define IDS_TITLE_SAVE_LEFT_RIGHT      2318
#define IDS_NO_HELP                    2319
#define IDS_BUSY_ON_CLOSE              2320
#define IDS_DEPTH_16                   2322
#define IDS_DEPTH_32                   2323
#define IDS_LABEL_BLEND                2324
#define IDS_AUDIO_STREAM_NAME          2326
#define IDS_AUDIO_COPY_PERCENT         2327
#define IDS_NO_LEFT_STREAM_INFO        2328
#define IDS_SAVE_CANCELLED             2329
#define IDS_NO_SAVE_FILE               2330
#define IDS_NO_SAVE_STREAM             2331
#define IDS_NO_SAVE_FORMAT             2332
#define IDS_NO_AUDIO_INFO              2333
#define IDS_NO_AUDIO_STREAM            2334
#define IDS_NO_MEMORY                  2335
#define IDS_NO_AUDIO_FORMAT            2336
#define IDS_SAVE_PROGRESS              2337
#define IDS_SAVE_WRITE_FAILED          2338
#define IDS_AUDIO_COPY_CHUNKS          2339
#define IDS_SAVE_DONE                  2340
#define IDS_VIDEO_STREAM_NAME          2341
#define IDS_SAVE_LEFT_RIGHT_PROGRESS   2342
#define IDS_LABEL_PARALLEL             2343
#define IDS_LABEL_CROSS                2344
#define IDS_PLAY_PAIR_LINE             2345
#define IDS_SIZE_LINE                  2347
#define IDS_PAIR_LINE                  2348
#define IDS_SIZE_MISMATCH              2349
#define IDS_PLAYER_ROT_ERROR           2365
#define IDS_PLAYER_VISIBLE_ERROR       2366
#define IDS_PLAYER_NAME_ERROR          2367
#define IDS_PLAYER_NO_ASX              2368
#define IDS_PLAYER_CHOOSE_MEDIA        2369
#define IDS_PLAYER_OPEN_TITLE          2370
#define IDS_PLAYER_VOLUME_ERROR        2371
#define IDS_PLAYER_INIT_ERROR          2376
#define IDS_TIP_FIRST_FRAME            2377
#define IDS_TIP_POSITION               2378
#define IDS_TIP_LAST_FRAME             2379
#define IDS_LABEL_LEFT                 2380
#define IDS_LABEL_RIGHT                2381
#define IDS_GAMMA_LABEL                2382
#define IDS_ANGLE_NEGATIVE             2391
#define IDS_ANGLE                      2392
#define IDS_ASK_END_TRIMMING           2394
#define IDS_ASK_PARTNER                2395
#define IDS_PARTNER_CAPTION            2396
#define IDS_ASK_CLEAR_HISTORY          2397
#define IDS_INTERLACE_NOISE_OFF        2398
#define IDS_LEFT_LINE                  2399
#define IDS_RIGHT_LINE                 2400
#define IDS_SPLIT_SAVED                2401
#define IDS_SPLIT_CAPTION              2402
#define IDS_WEB_HELP_ADDRESS           2406
#define IDS_NO_SHIFT_WHILE_TRIMMED     2407
#define IDS_ASK_REUSE_ADJUSTMENT       2408
#define IDS_ASK_REUSE_FRAME_LOG        2415
#define IDS_ANALYSIS_LINE              2416
#define IDS_ALIGNMENT_CLEARED          2417
#define IDS_CANNOT_DELETE_ADJUSTMENT   2418
#define IDS_ASK_COPY_STREAMS           2419
#define IDS_NOT_3DAVI                  2420
#define IDS_TITLE_SAVE_3DAVI           2421
#define IDS_TITLE_SPLIT_3DAVI          2422
#define IDS_NO_3DAVI_SOUND             2423
#define IDS_SAVE_PERCENT               2424
#define IDS_CUSTOM_SIZE_ITEM           2425
#define IDS_SCREEN_SIZE_ITEM           2426
#define IDS_SIZE_GROUP                 2427
#define IDS_COPIED                     2428
#define IDS_TITLE_3DS_DATE             2430
#define IDS_MENU_PLACEHOLDER           2440  // the history items' place-holder while they are rebuilt
#define IDS_OUTPUT_NOT_AVAILABLE       2449
#define IDS_DEVICE_HELP_FIRST          2500
#define IDS_DEVICE_HELP_LAST           2513
#define IDS_GL_HELP_FIRST              2520
#define IDS_GL_HELP_LAST               2534
#define IDS_VIEW_HELP_FIRST            2535
#define IDS_VIEW_HELP_LAST             2548
#define IDS_TAB_BASIC                  2775
#define IDS_TAB_H_PERSPECTIVE          2777
#define IDS_TAB_V_PERSPECTIVE          2778
#define IDS_RESET_PERSPECTIVE_FIRST    2779

// ---- Main window commands (menu "2REELS", accelerators, toolbars) ----
#define IDM_OPEN_PAIR                 2000
#define IDM_SAVE_STEREO               2001
#define IDM_MODE_BLEND                2002  // side by side with the blended middle view
#define IDM_MODE_INTERLACE            2003
#define IDM_MODE_ANAGLYPH             2004
#define IDM_MODE_COLOUR_ANAGLYPH      2005
#define IDM_MODE_SIDE_BY_SIDE         2006
#define IDM_MODE_OVER_UNDER           2007
#define IDM_EXCHANGE                  2008
#define IDM_LEFT_START_BACK           2009
#define IDM_LEFT_START_FORWARD        2010
#define IDM_RIGHT_START_BACK          2011
#define IDM_RIGHT_START_FORWARD       2012
#define IDM_END_EARLIER               2013
#define IDM_END_LATER                 2014
#define IDM_START_TO_FIRST            2015
#define IDM_START_HERE                2016
#define IDM_END_HERE                  2017
#define IDM_END_TO_LAST               2018
#define IDM_SHIFT_UP                  2019
#define IDM_SHIFT_DOWN                2020
#define IDM_SHIFT_LEFT                2021
#define IDM_SHIFT_RIGHT               2022
#define IDM_STOP                      2023
#define IDM_PLAY_PAIR                 2024
#define IDM_PLAY_LEFT                 2025
#define IDM_PLAY_RIGHT                2026
#define IDM_PLAY_FILE_FULLSCREEN      2027
#define IDM_PLAY_SAVED                2028
#define IDM_SHUTTER_PLAY_PAIR         2029
#define IDM_SHUTTER_PLAY_FILE         2030
#define IDM_SHUTTER_PLAY_SAVED        2031
#define IDM_OPEN_STEREO               2032
#define IDM_MODE_CHROMA_KEY           2033
#define IDM_SHIFT_RESET               2034
#define IDM_TRIM                      2035
#define IDM_TRIM_4_3                  2036
#define IDM_TRIM_16_9                 2037
#define IDM_TRIM_3_2                  2038
#define IDM_ABOUT                     2040
#define IDM_HELP                      2041
#define IDM_OPEN_PAIR_BY_NAME         2044
#define IDM_EXIT                      2045
#define IDM_SHUTTER_SETTINGS          2047
#define IDM_POSITION_MOVED            2048
#define IDM_DISPLAY_SETTINGS          2049
#define IDM_NEXT_FRAME                2050
#define IDM_PREV_FRAME                2051
#define IDM_SAVE_LEFT_RIGHT           2052
#define IDM_ANAGLYPH_SETTINGS         2053
#define IDM_EASY_ADJUST               2054
#define IDM_COLOUR_ANAGLYPH_SETTINGS  2055
#define IDM_NEXT_PLACEMENT            2056
#define IDM_ALIGNMENT_SETTINGS        2058
#define IDM_AUTO_ALIGN                2059
#define IDM_TRIM_480_240              2061
#define IDM_TRIM_400_240              2062
#define IDM_KEY_ESC                   2070
#define IDM_KEY_F1                    2071
#define IDM_KEY_F2                    2072
#define IDM_KEY_F3                    2073
#define IDM_NEXT_AUTO_COLOUR          2074
#define IDM_BLUR_FRAME                2075
#define IDM_NEXT_MIRROR               2076
#define IDM_COPY                      2077
#define IDM_ADJUST_STEP_BACK          2078
#define IDM_ADJUST_STEP_FORWARD       2079
#define IDM_MODE_IZ3D                 2103
#define IDM_SBS_MIRROR_RIGHT          2110
#define IDM_SBS_MIRROR_LEFT           2111
#define IDM_SBS_MIRROR_BOTH           2112
#define IDM_OU_MIRROR_BOTTOM          2115
#define IDM_OU_MIRROR_TOP             2116
#define IDM_OU_MIRROR_BOTH            2117
#define IDM_SPLIT_3DAVI               2118
#define IDM_BATCH                     2119
#define IDM_CHANGE_3DS_DATE           2122
#define IDM_SAVE_3DAVI                2130
#define IDM_BATCH_SAVE_STEREO         2131
#define IDM_BATCH_SAVE_LEFT_RIGHT     2132
#define IDM_ANAGLYPH_RED_CYAN         2170
#define IDM_ANAGLYPH_RED_GREEN        2171
#define IDM_ANAGLYPH_RED_BLUE         2172
#define IDM_ANAGLYPH_YELLOW_BLUE      2173
#define IDM_COLOUR_RED_CYAN           2175
#define IDM_COLOUR_RED_FROM_LUMA      2176
#define IDM_COLOUR_YELLOW_BLUE        2177
#define IDM_COLOUR_BLUE_FROM_LUMA     2178
#define IDM_REPEAT                    2179
#define IDM_HISTORY_PLACEHOLDER       2180
#define IDM_HISTORY_FIRST             2181  // entries 0-4: 2181-2185
#define IDM_HISTORY_LAST              2185
#define IDM_OPEN_STEREO_BY_NAME       2186
#define IDM_ZOOM_IN                   2187
#define IDM_ZOOM_OUT                  2188
#define IDM_OPEN_PAIR_SAVE_3DAVI      2189
#define IDM_RESHOW                    2190
#define IDM_CLEAR_HISTORY             2191
#define IDM_CONTINUE_STEREO_SAVE      2192
#define IDM_CONTINUE_LEFT_RIGHT_SAVE  2193
#define IDM_ZOOM_FIT                  2195
#define IDM_ZOOM_100                  2196
#define IDM_POSITION_FIRST            2197
#define IDM_POSITION_LAST             2198
#define IDM_RIGHT_FIELD               2199
#define IDM_CHROMA_KEY_SETTINGS       4300
#define IDM_FULLSCREEN                4301
#define IDM_RECOMPOSE                 4302
#define IDM_DUAL_FULLSCREEN_LEFT      4303
#define IDM_DUAL_FULLSCREEN_RIGHT     4304
#define IDM_WEB_HELP                  4305
#define IDM_COSIMA_ALIGN              4306

// Tool tips of the two main toolbars: string id = command id + this.
#define IDS_TOOLTIP_OFFSET            200

// ---- Media-player window commands (menu "PLAYAVI", its toolbar) ----
#define IDM_PLAYER_CLOSE              4000
#define IDM_PLAYER_PAUSE              4001
#define IDM_PLAYER_PLAY               4002
#define IDM_PLAYER_MUTE               4003
#define IDM_PLAYER_FULLSCREEN         4004
#define IDM_PLAYER_SIZE_50            4005
#define IDM_PLAYER_SIZE_75            4006
#define IDM_PLAYER_SIZE_100           4007
#define IDM_PLAYER_SIZE_200           4008
#define IDM_PLAYER_SIZE_HALF_HEIGHT   4009
#define IDM_PLAYER_CUSTOM_SIZE        4010
#define IDM_PLAYER_TO_START           4011
#define IDM_PLAYER_TO_END             4012
#define IDM_PLAYER_OPEN               4020
#define IDM_PLAYER_CLOSE_CLIP         4021
#define IDM_PLAYER_FASTER             4023
#define IDM_PLAYER_SLOWER             4024
#define IDM_PLAYER_RATE_NORMAL        4025
#define IDM_PLAYER_RATE_DOUBLE        4026
#define IDM_PLAYER_RATE_HALF          4027
#define IDM_PLAYER_STEP               4028
#define IDM_PLAYER_OPEN_NAME          4029
// Player toolbar tips: string id = button id - this.
#define IDS_PLAYER_TOOLTIP_OFFSET     1760

// ---- Toolbar bitmaps ----
#define IDB_FILE_TOOLBAR              131   // 12 images of 18 x 17
#define IDB_PLAYER_TOOLBAR            133   // 11 images of 20 x 17
#define IDB_MAIN_TOOLBAR              700   // 26 images of 16 x 17
#define IDC_TOOLBAR                   800   // control id of every toolbar

// ---- Frame-position bar (dialog 900) and the player's seek bar "AVIPLAY" ----
#define IDD_POSITION_BAR              900
#define IDC_POS_FIRST                 1041
#define IDC_POS_LAST                  1042
#define IDC_POS_RESET                 1043  // command: reset the range
#define IDC_POS_SCROLL                1044
#define IDC_SEEK_FIRST                4011
#define IDC_SEEK_LAST                 4012
#define IDC_SEEK_SCROLL               4013
#define IDC_SEEK_TICK                 2060  // command: the player's timer moved the position

// ---- File-dialog option panels ----
#define IDC_PANEL_PLACEHOLDER         1119  // where the file dialog puts its own controls
// "SOPEN"
#define IDC_SOPEN_DEINTERLACE         1032
#define IDC_SOPEN_STEREO_SOUND        1033
#define IDC_SOPEN_FIELD_DOUBLE        1036
#define IDC_SOPEN_FIELD_DROP          1037
#define IDC_SOPEN_SWAP_SOUND          1059
#define IDC_SOPEN_TURN_LEFT_FIRST     1310  // 1310-1315
#define IDC_SOPEN_TURN_RIGHT_FIRST    1320  // 1320-1325
// "STOP" (and the buttons of "FILETYPE")
#define IDC_STOP_NOISE_REDUCTION      1032
#define IDC_STOP_SIS_LABEL            1305
#define IDC_STOP_SIS                  1306
#define IDC_STEREO_TYPE_FIRST         1070  // 1070-1081 (no 1076): input stereo type = id - 1070
#define IDC_STEREO_TYPE_LAST          1081
// "SAVEOP", "SAVEOPB", "SAVE3DAVI"
#define IDC_SAVE_LAYOUT_FIRST         1000  // 1000-1004, 1006, 1007
#define IDC_SAVE_SMART_SIZE           1013
#define IDC_SAVE_RESIZE               1015
#define IDC_SAVE_WIDTH                1017
#define IDC_SAVE_HEIGHT               1019
#define IDC_SAVE_WIDTH_LABEL          1020
#define IDC_SAVE_HEIGHT_LABEL         1021
#define IDC_SAVE_HALF_SIZE            1122
#define IDC_SAVE_BORDER               1304
#define IDC_SAVE_PREVIEW              3002
#define IDC_SAVE_KEEP_ASPECT          3100
#define IDC_SAVE_QUALITY_LABEL        3092
#define IDC_SAVE_QUALITY_VALUE        1242
#define IDC_SAVE_QUALITY              1243
#define IDC_SAVE_KIND_FIRST           1460  // 1460-1468: camera kind = id - 1460
#define IDC_SAVE_DATE_SET             3362
#define IDC_SAVE_DATE_FIRST           3363  // 3363-3368: year, month, day, hour, minute, second
// "DATECNGDLG"
#define IDC_DATE_CHANGED_COUNT        3361
#define IDC_DATE_CHANGE               3362
#define IDC_DATE_FIRST                3363  // 3363-3368

// ---- Media player's custom size "CUSTSIZE" ----
#define IDC_CUSTSIZE_WIDTH            1032
#define IDC_CUSTSIZE_HEIGHT           1033

// ---- Anaglyph settings "ANAGSET" ----
#define IDC_ANAG_TYPE_FIRST           1240  // 1240-1247
#define IDC_ANAG_PREVIEW              1270
#define IDC_ANAG_GAMMA_LEFT           1271
#define IDC_ANAG_GAMMA_RIGHT          1272
#define IDC_ANAG_LABEL_LEFT           1273
#define IDC_ANAG_LABEL_RIGHT          1274
#define IDC_ANAG_RESET_LEFT           1275
#define IDC_ANAG_RESET_RIGHT          1276
#define IDC_ANAG_GAMMA_CHANGED        3044  // sent to itself after a gamma change
#define IDC_ANAG_VIEW_FIRST           3045  // 3045-3047

// ---- Display settings "FSET" ----
#define IDC_FSET_SOUND                1023
#define IDC_FSET_FRAME_WIDTH          1025
#define IDC_FSET_FRAME_COLOUR_SET     1027
#define IDC_FSET_FRAME_COLOUR         1028
#define IDC_FSET_BLUR                 1045
#define IDC_FSET_BLUR_WIDTH           1046
#define IDC_FSET_MOV_RATE_LABEL       1047
#define IDC_FSET_MOV_RATE             1048
#define IDC_FSET_OLD_QT               1049
#define IDC_FSET_ASK_FILE_TYPE        1120
#define IDC_FSET_PLACEMENT_FIRST      1450  // 1450-1452

// ---- Chroma key "KUROMA" ----
#define IDC_KEY_PREVIEW               1031
#define IDC_KEY_TOLERANCE             1040
#define IDC_KEY_PICK                  1222
#define IDC_KEY_COLOUR                1224

// ---- Full-screen settings "W3D", panels "FOPEN" and "W3DOPEN", "CUSTSIZE1" ----
#define IDC_W3D_NO_SOUND              1023
#define IDC_W3D_SIZE                  1024
#define IDC_W3D_DEPTH                 1026
#define IDC_W3D_FIT                   1029
#define IDC_W3D_NOISE_REDUCTION       1032
#define IDC_W3D_LAYOUT_FIRST          1085  // 1085-1089, 1091-1093: layout = id - 1085
#define IDC_W3D_FORMAT_FIRST          1100  // 1100-1110: display format = id - 1100
#define IDC_W3D_SIZE_GROUP            1307
#define IDC_W3D_AUTO_REG              1432
#define IDC_W3D_DEVICE_FIRST          4068  // 4068-4071: ShutterDevice = id - 4068
#define IDC_W3D_CUSTOM_WIDTH          1274
#define IDC_W3D_CUSTOM_HEIGHT         1300

#define IDS_ERROR_CAPTION 2300
#define IDS_WARNING_CAPTION 2301
#define IDS_APP_NAME 2305
#define IDS_CONFIRM_CAPTION 2306
#define IDS_NO_BITMAP 2325
#define IDS_NO_PALETTE 2350

// Movie sources: the opener's error texts and the FOURCC dialog.
#define IDS_AVI_OPEN_FAILED 2351
#define IDS_AVI_INFO_FAILED 2352
#define IDS_STREAM_FAILED 2353
#define IDS_STREAM_INFO_FAILED 2354
#define IDS_NOT_AVI 2355
#define IDS_NO_DV_CODEC 2356
#define IDS_DV_NO_GETTER 2357
#define IDS_NO_CODEC 2358
#define IDS_NO_GETTER 2359
#define IDS_NO_DECODER 2361
#define IDS_FIRST_HALF_ONLY 2362
#define IDS_NO_FRAME_INDEX 2363
#define IDS_RAW_OPEN_FAILED 2364
#define IDS_FOURCC_FOUND 2404
#define IDS_FOURCC_MISSING 2405
#define IDS_BUILTIN_MATCHER 2414
#define IDC_FOURCC_ERROR 1040
#define IDC_FOURCC_WEB 1041
#define IDC_FOURCC_TEXT 1042
#define IDC_FOURCC_WEB_LABEL 1044
// The alignment settings dialog "AUTOPANO" (its stereo-window rules are
// strings 2410-2413).
#define IDS_TOOL_FILTER 2409
#define IDS_WINDOW_RULE_NEAREST 2410
#define IDS_WINDOW_RULE_FIXED 2411
#define IDS_WINDOW_RULE_NONE 2412
#define IDS_WINDOW_RULE_SHARE 2413
#define IDC_AP_FOLDER 1251
#define IDC_AP_BROWSE 1252
#define IDC_AP_RESAMPLE 3020
#define IDC_AP_AUTOCROP 3021
#define IDC_AP_BARREL_ON 3622
#define IDC_AP_BARREL 3623
#define IDC_AP_PERCENT 3624
#define IDC_AP_NO_REPORT 3630
#define IDC_AP_HIDE_WINDOW 3635
#define IDC_AP_PARALLEL 3640
#define IDC_AP_CROSS 3641
#define IDC_AP_AUTOMATIC 3642
#define IDC_AP_ALL_FRAMES 3650
#define IDC_AP_ITEM_V 3651
#define IDC_AP_ITEM_H 3652
#define IDC_AP_ITEM_SIZE 3653
#define IDC_AP_ITEM_ROTATION 3654
#define IDC_AP_ITEM_PERSPECTIVE_V 3655
#define IDC_AP_ITEM_PERSPECTIVE_H 3656
#define IDC_AP_PMAX_LABEL 3660
#define IDC_AP_PMAX 3661
#define IDC_AP_RULE 3329
#define IDC_AP_PERCENT_LABEL 3330

// The automatic alignment: the frames for the outside tools could not be
// written.
#define IDS_TOOL_IMAGE_FAILED 2480

// Saving: the audio preparation's progress (English, as the title shows
// it) and the texts of the savers and save commands beside the numbered
// ones above.
#define IDS_AUDIO_PREP_FFMPEG 2950
#define IDS_AUDIO_PREP_FFMPEG_WAIT 2951
#define IDS_AUDIO_PREP_STEP 2952
#define IDS_AUDIO_PREP_PERCENT 2953
#define IDS_NO_COMPRESSED_STREAM 2954
#define IDS_SAVE_OVER_SOURCE 2955
#define IDS_BATCH_PATH_TOO_LONG 2956
#define IDS_COPY_FAILED 2957

// The easy-adjustment dialog "ANGLES".
#define IDC_EA_PREVIEW 1233
#define IDC_EA_ROTATION_L 3003
#define IDC_EA_ROTATION_R 3004
#define IDC_EA_PERSPECTIVE_VL 3005
#define IDC_EA_PERSPECTIVE_VR 3006
#define IDC_EA_PERSPECTIVE_HL 3007
#define IDC_EA_PERSPECTIVE_HR 3008
#define IDC_EA_SIZE_L 3009
#define IDC_EA_SIZE_R 3010
#define IDC_EA_SHIFT_X 3011
#define IDC_EA_SHIFT_Y 3012
#define IDC_EA_FOCAL 3013
#define IDC_EA_LENS_LIST 3015
#define IDC_EA_LENS_35 3016
#define IDC_EA_FOCAL_LABEL 3017
#define IDC_EA_LENS_50 3018
#define IDC_EA_LENS_75 3019
#define IDC_EA_RESAMPLE 3020
#define IDC_EA_AUTOCROP 3021
#define IDC_EA_LABEL_ROTATION_L 3022
#define IDC_EA_LABEL_ROTATION_R 3023
#define IDC_EA_LABEL_PERSPECTIVE_VL 3024
#define IDC_EA_LABEL_PERSPECTIVE_VR 3025
#define IDC_EA_LABEL_PERSPECTIVE_HL 3026
#define IDC_EA_LABEL_PERSPECTIVE_HR 3027
#define IDC_EA_LABEL_SIZE_L 3028
#define IDC_EA_LABEL_SIZE_R 3029
#define IDC_EA_CANVAS_LABEL 3031
#define IDC_EA_REGION 3032
#define IDC_EA_RESET_ROTATION_L 3034
#define IDC_EA_RESET_ROTATION_R 3035
#define IDC_EA_RESET_PERSPECTIVE_VL 3036
#define IDC_EA_RESET_PERSPECTIVE_VR 3037
#define IDC_EA_RESET_PERSPECTIVE_HL 3038
#define IDC_EA_RESET_PERSPECTIVE_HR 3039
#define IDC_EA_RESET_SIZE_L 3040
#define IDC_EA_RESET_SIZE_R 3041
#define IDC_EA_RESET_SHIFT_X 3042
#define IDC_EA_RESET_SHIFT_Y 3043
#define IDC_EA_VIEW_FIRST 3045  // 3045-3048: anaglyph, left, right, alternating
#define IDC_EA_ACTUAL_SIZE 3049
#define IDC_EA_PERIOD 3056
#define IDC_EA_ERASE_LINES 3059
#define IDC_EA_AUTO_ROTATION 3060
#define IDC_EA_SAVE 3062
#define IDC_EA_LOAD 3064
#define IDC_EA_LOAD_FILE 3065
#define IDC_EA_LINKED 3176
#define IDC_EA_LINE_DRAWING 3236
#define IDC_EA_GRID 3265
#define IDC_EA_PERS_SHIFT_R 3269
#define IDC_EA_PERS_SHIFT_L 3270
#define IDC_EA_CANVAS 3271
#define IDC_EA_GRID_SPACING 3272
#define IDC_EA_REVERSE_PERSPECTIVE 3281
#define IDC_EA_TABS 3300
// The pages' own texts (shown and hidden with their page).
#define IDC_EA_LINE_GROUP 3080
#define IDC_EA_ROTATION_TITLE 3081
#define IDC_EA_SIZE_TITLE 3082
#define IDC_EA_ROW_ROTATION_L 3083
#define IDC_EA_ROW_ROTATION_R 3084
#define IDC_EA_ROW_SIZE_L 3085
#define IDC_EA_ROW_SIZE_R 3086
#define IDC_EA_FOCAL_TITLE 3087
#define IDC_EA_PERSPECTIVE_V_TITLE 3088
#define IDC_EA_ROW_PERSPECTIVE_VL 3089
#define IDC_EA_ROW_PERSPECTIVE_VR 3090
#define IDC_EA_PERSPECTIVE_H_TITLE 3091
#define IDC_EA_ROW_PERSPECTIVE_HL 3092
#define IDC_EA_ROW_PERSPECTIVE_HR 3093
#define IDC_EA_PERS_SHIFT_L_LABEL 3094
#define IDC_EA_PERS_SHIFT_R_LABEL 3095

#endif
