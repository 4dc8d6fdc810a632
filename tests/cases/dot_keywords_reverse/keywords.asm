section .data
strict dd 0
section .text
global main
main:
    call node
    call Graph
    mov eax, [strict]
global node
node:
    call STRICT
    call edge
global STRICT
STRICT:
    call digraph
    call SubGraph
    call nodes
