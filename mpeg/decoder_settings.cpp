#include "mpeg/decoder_settings.h"

#include "mpeg/settings_store.h"
#include "mpeg/simd.h"

static DWORD ReadOr(const char *name, DWORD fallback)
{
    DWORD v;
    return QueryDecoderDword(name, &v) ? v : fallback;
}

DWORD ReadSettingReMap() { return ReadOr("re_map", 1) != 0 ? 1 : 0; }
DWORD ReadSettingIdctFunc() { return ReadOr("idct_func", 1); }
DWORD ReadSettingSimd() { return (DWORD)EffectiveSimdMask((int)(ReadOr("simd", 0))); }
DWORD ReadSettingFieldOrder() { return ReadOr("field_order", 0); }
DWORD ReadSettingAspectRatio() { return ReadOr("aspect_ratio", 0); }
DWORD ReadSettingLimit() { return ReadOr("limit", kDefaultLimit); }
DWORD ReadSettingColorMatrix() { return ReadOr("color_matrix", 0); }
DWORD ReadSettingGl() { return ReadOr("gl", 0); }
DWORD ReadSettingFile() { return ReadOr("file", 0) == 1 ? 1 : 0; }
DWORD ReadSettingYuy2Matrix() { return ReadOr("yuy2_matrix", 0); }

void ReadDecoderSettings(DecoderSettings *s)
{
    s->simd = (int)ReadSettingSimd();
    s->re_map = (int)ReadSettingReMap();
    s->yuy2_matrix = (int)ReadSettingYuy2Matrix();
    s->aspect_ratio = (int)ReadSettingAspectRatio();
    s->field_order = (int)ReadSettingFieldOrder();
    s->idct_func = (int)ReadSettingIdctFunc();
    s->color_matrix = (int)ReadSettingColorMatrix();
    s->gl = (int)ReadSettingGl();
}
