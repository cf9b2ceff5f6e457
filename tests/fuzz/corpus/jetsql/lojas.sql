lojas
