; nothing here

