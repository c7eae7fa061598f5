"Medida"	1
"Trabajo"	2
"Fase"	3
"Elegir"	4
"trabajo"	5
"Fuerza de"	6
"inicio"	7
"Cota de"	8
"Número"	9
"de fases"	10
"Puntos"	11
"de"	12
"control"	13
"Banda"	14
"superior"	15
"inferior"	16
"Rechazos"	17
"Piezas"	18
"en cesta"	19
"Confirmar"	20
"rechazo"	21
"manual"	22
"Usuarios"	23
"Nuevo"	24
"usuario"	25
"Cambiar"	26
"contraseña"	27
"Historial"	28
"Borrar"	29
"historial"	30
"Entradas"	31
"y"	32
"salidas"	33
"Salida"	34
"Calibrar"	35
"Escala"	36
"fuerza"	37
"Peso"	38
"patrón"	39
"Cero"	40
"cota"	41
"Fecha"	42
"hora"	43
"Idioma"	44
"Contraste"	45
"pantalla"	46
"Copiar"	47
"Errores"	48
3,1,0,1,0,0		Medida	1
2,0,0,2,1001		Trabajo "NomeLavoro"	2
2,0,0,3,1002		Fase "NomeFase"	3
2,0,0,4,5		Elegir trabajo	4
2,0,174,6,7		Fuerza de inicio	5
2,0,159,8,7		Cota de inicio	6
2,0,12,9,10		Número de fases	7
3,0,0,11,12,13		Puntos de control	8
1,0,0,1006		"CheckPoint1"	9
1,0,0,1007		"CheckPoint2"	10
1,0,0,1008		"CheckPoint3"	11
2,0,21,14,15		Banda superior	12
2,0,22,14,16		Banda inferior	13
3,2,0,17,0,0		Rechazos	14
2,0,30,18,19		Piezas en cesta	15
3,0,0,20,21,22		Confirmar rechazo manual	16
3,3,0,23,0,0		Usuarios	17
2,0,0,24,25		Nuevo usuario	18
2,0,0,26,27		Cambiar contraseña	19
3,4,0,28,0,0		Historial	20
2,0,0,29,30		Borrar historial	21
3,0,0,31,32,33		Entradas y salidas	22
1,0,0,1000		"Supplementare1"	23
1,0,0,1004		"Supplementare2"	24
1,0,0,1005		"Supplementare3"	25
2,0,0,34,1003		Salida "Brake"	26
3,5,0,35,0,0		Calibrar	27
2,0,40,36,37		Escala fuerza	28
2,0,41,38,39		Peso patrón	29
2,0,0,40,41		Cero cota	30
3,6,50,0,0,0			31
3,0,0,42,32,43		Fecha y hora	32
1,0,0,44		Idioma	33
2,0,60,45,46		Contraste pantalla	34
3,0,0,47,5,1001		Copiar trabajo "NomeLavoro"	35
1,0,0,48		Errores	36
