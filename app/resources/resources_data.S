// The installer's constant byte arrays, in this order in the read-only data:
// each is a 32-bit length followed by that many bytes (see resources.h).
// The glyph strip is stored without its 8-byte PNG signature.
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
