SELECT * FROM CLIENTES WHERE NM_CLIENTE LIKE '*ana*' OR NM_CLIENTE Like "?lio*" OR nr_documento like '[*]%_[?]' ORDER BY NM_CLIENTE
