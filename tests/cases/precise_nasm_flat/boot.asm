; A boot sector: no global anywhere, routines end where the next one begins.
bits 16
org 0x7c00

start:
    xor ax, ax
    mov ds, ax
    mov si, banner
    call print
    call [hook]             ; through memory: no edge
.halt:
    hlt
    jmp .halt               ; a local label: no edge

print:
    lodsb
    test al, al
    jz .done
    call putc
    jmp print               ; its own start: no edge
.done:
    ret

putc:
    mov ah, 0x0e
    mov bx, beep
    call bx                 ; through a register: no edge
    jmp near bios           ; a tail call

banner db 'Booting', 13, 10, 0
hook dw putc

section .data
beep: db 7
