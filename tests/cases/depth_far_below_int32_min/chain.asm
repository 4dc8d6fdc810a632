global main
main:
    call f1
global f1
f1:
    call f2
global f2
f2:
    call f3
global f3
f3:
    call f4
global f4
f4:
    call f5
global f5
f5:
    call f6
global f6
f6:
    call f7
global f7
f7:
    call f8
global f8
f8:
    call f9
global f9
f9:
    call f10
global f10
f10:
    call f11
global f11
f11:
    call f12
global f12
f12:
    call f13
global f13
f13:
    call f14
global f14
f14:
