// The installer's constant byte arrays, in this order in the read-only data:
// each is a 32-bit length followed by that many bytes (see resources.h).
// The glyph strip (each of its drawings) is stored without its 8-byte PNG
// signature.
#define QW_CONCAT2(a, b) a##b
#define QW_CONCAT(a, b) QW_CONCAT2(a, b)
#define QW_SYMBOL(name) QW_CONCAT(__USER_LABEL_PREFIX__, name)

    .section .rdata,"dr"

.macro qw_embed symbol, file, skip=0
    .globl \symbol
    .balign 4
\symbol:
    .long 2f - 1f
1:
    .incbin "\file", \skip
2:
.endm

    qw_embed QW_SYMBOL(qw_res_library_glyph_strip), glyph_strip.png, 8
    qw_embed QW_SYMBOL(qw_res_background), background.png
    qw_embed QW_SYMBOL(qw_res_close_normal), close_normal.png
    qw_embed QW_SYMBOL(qw_res_close_hover), close_hover.png
    qw_embed QW_SYMBOL(qw_res_big_button_normal), big_button_normal.png
    qw_embed QW_SYMBOL(qw_res_big_button_hover), big_button_hover.png
    qw_embed QW_SYMBOL(qw_res_browse_normal), browse_normal.png
    qw_embed QW_SYMBOL(qw_res_browse_hover), browse_hover.png
    qw_embed QW_SYMBOL(qw_res_payload_archive), payload.zip
    // The artwork drawn at 150 % and 200 %, after everything above so that
    // the 100 % data keeps its place.
    qw_embed QW_SYMBOL(qw_res_library_glyph_strip_150), glyph_strip_150.png, 8
    qw_embed QW_SYMBOL(qw_res_library_glyph_strip_200), glyph_strip_200.png, 8
    qw_embed QW_SYMBOL(qw_res_background_150), background_150.png
    qw_embed QW_SYMBOL(qw_res_background_200), background_200.png
    qw_embed QW_SYMBOL(qw_res_close_normal_150), close_normal_150.png
    qw_embed QW_SYMBOL(qw_res_close_normal_200), close_normal_200.png
    qw_embed QW_SYMBOL(qw_res_close_hover_150), close_hover_150.png
    qw_embed QW_SYMBOL(qw_res_close_hover_200), close_hover_200.png
    qw_embed QW_SYMBOL(qw_res_big_button_normal_150), big_button_normal_150.png
    qw_embed QW_SYMBOL(qw_res_big_button_normal_200), big_button_normal_200.png
    qw_embed QW_SYMBOL(qw_res_big_button_hover_150), big_button_hover_150.png
    qw_embed QW_SYMBOL(qw_res_big_button_hover_200), big_button_hover_200.png
    qw_embed QW_SYMBOL(qw_res_browse_normal_150), browse_normal_150.png
    qw_embed QW_SYMBOL(qw_res_browse_normal_200), browse_normal_200.png
    qw_embed QW_SYMBOL(qw_res_browse_hover_150), browse_hover_150.png
    qw_embed QW_SYMBOL(qw_res_browse_hover_200), browse_hover_200.png
