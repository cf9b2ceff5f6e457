SELECT  * from devolvidos where cd_ACORDO='000001' and CD_CHAVE <> "" order by cd_devolvido
