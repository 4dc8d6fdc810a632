; A flat program in the style of a boot loader: no global, no section line
; before the code, entry code that no routine owns, and routines that are
; only labels followed by a colon.
bits 64

        cld
        call    setup            ; owned by no routine
        jmp     kernel

setup:
        mov     rdi, buffer
        mov     rcx, size
        CALL    clear
ret

clear:  xor     eax, eax
        rep stosb
        ret

kernel: call near banner
        mov     rdi, 10
        call    count_down
halt:   hlt
        jmp     halt

banner:
        mov     rsi, message
.next:  lodsb
        test    al, al
        jz      .done
        call    put_char
        jmp     .next
.done:  ret

count_down:
        dec     rdi
        jz      .out
        push    rdi
        call    count_down       ; recursion
        pop     rdi
        jmp     put_char         ; tail call
.out:   ret

put_char:
        out     0xe9, al
        ret

section .data
message db      "hello", 0
size    equ     64
buffer  times 64 db 0
