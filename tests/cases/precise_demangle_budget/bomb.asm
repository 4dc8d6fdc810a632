; Each level of these templates names the one before it twice, so the
; readable text doubles with every level: four levels are a short line,
; twenty-eight would be gigabytes, and stay as they are written.
section .text
global main
main:
    call _Z5small1AIS_IS_IS_IiiES0_ES1_ES2_E
    call _Z4huge1AIS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IiiES0_ES1_ES2_ES3_ES4_ES5_ES6_ES7_ES8_ES9_ESA_ESB_ESC_ESD_ESE_ESF_ESG_ESH_ESI_ESJ_ESK_ESL_ESM_ESN_ESO_ESP_ESQ_E
    mov eax, _Z7operand1AIS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IS_IiiES0_ES1_ES2_ES3_ES4_ES5_ES6_ES7_ES8_ES9_ESA_ESB_ESC_ESD_ESE_ESF_ESG_ESH_ESI_ESJ_ESK_ESL_ESM_ESN_ESO_ESP_ESQ_E
